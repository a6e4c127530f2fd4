#include "batch/measuredoutputs.h"

#include "analysis/analysiscsv.h"
#include "batch/measuredspecimens.h"
#include "batch/pngoutput.h"
#include "files/outputfiles.h"

namespace Demagora {

namespace {

void addFitOutputs(OutputFiles &files, const BatchOptions &batch,
    const std::vector<Specimen> &framed, const MeasuredResults &results)
{
    if (batch.fitsPath && results.interpretations) {
        files.add(*batch.fitsPath, "the fits", [&](std::ostream &stream) {
            writeInterpretationFitsCsv(stream, results.interpretations->fits);
        });
    } else if (batch.fitsPath) {
        files.add(*batch.fitsPath, "the fits", [&](std::ostream &stream) {
            std::vector<std::string> names;
            for (const Specimen &specimen : framed)
                names.push_back(specimen.name);
            writeSpecimenFitsCsv(stream, *results.analysis, names);
        });
    }
    if (batch.fisherPath) {
        files.add(*batch.fisherPath, "the Fisher statistics",
            [&](std::ostream &stream) { writeFisherCsv(stream, *results.analysis); });
    }
    if (batch.siteMeansPath) {
        files.add(*batch.siteMeansPath, "the site means", [&](std::ostream &stream) {
            writeSiteMeansCsv(stream, results.interpretations->sites);
        });
    }
}

} // namespace

void addMeasuredOutputs(OutputFiles &files, const BatchOptions &batch, CoordinateSystem system,
    const std::vector<Specimen> &framed, const MeasuredResults &results)
{
    if (batch.pngPath) {
        checkPictureSize(*batch.pngPath, framed.front().steps.size());
        SpecimenPictureRequest picture = specimenPictureRequest(
            framed.front(), system, *batch.pngPath, batch.pngWidth.value_or(700));
        picture.projection = batch.pngDrawing.options.projection;
        files.add(*batch.pngPath, "the picture",
            [picture](std::ostream &stream) { writeSpecimenPicture(stream, picture); });
    }
    addFitOutputs(files, batch, framed, results);
    if (batch.unmix.outPath) {
        files.add(*batch.unmix.outPath, "the fitted components", [&](std::ostream &stream) {
            if (batch.unmix.siteRequested())
                writeSiteSpecimensCsv(stream, results.sites, {});
            else
                writeUnmixCsv(stream, results.unmixed, {});
        });
    }
    if (batch.unmix.siteOutPath) {
        files.add(*batch.unmix.siteOutPath, "the site's components",
            [&](std::ostream &stream) { writeSiteUnmixCsv(stream, results.sites, {}); });
    }
    if (batch.unmix.twinPath && results.twin) {
        files.add(*batch.unmix.twinPath, "the twin scenario",
            [&](std::ostream &stream) { writeScenario(stream, *results.twin); });
    }
}

} // namespace Demagora

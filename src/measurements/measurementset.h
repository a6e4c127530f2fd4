#pragma once

#include "measurements/specimen.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <exception>
#include <stop_token>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Demagora {

// The file formats the readers know; what each is, measurements/formattable.h says.
enum class MeasurementFormat { Magic, Cit, Jr6, TwoG, PuffinPlot, Utrecht };

// Which demagnetization a reader keeps beside the NRM.
enum class DemagKind { Thermal, AlternatingField };

// What a reader does with several measurements at one step of one specimen.
enum class RepeatRule { Average, Last, All };

struct ReadOptions
{
    // Detected from the content and the name when empty.
    std::optional<MeasurementFormat> format;
    DemagKind demag = DemagKind::Thermal;
    RepeatRule repeats = RepeatRule::Average;
    // Rows flagged bad are kept as steps marked bad, where no good row measured their step,
    // instead of being left out: the specimens window shows them so that they can be unmarked.
    bool keepFlaggedBad = false;
    // Asked to stop, a reading throws ReadStopped within a thousand rows.
    std::stop_token stop;
};

// A reading that stopped because it was asked to: nothing was read.
struct ReadStopped : std::exception
{
    const char *what() const noexcept override { return "the reading was stopped"; }
};

// What a reader left out of a file and why, in measurement rows, and how repeats were met.
struct ReadSummary
{
    MeasurementFormat format = MeasurementFormat::Magic;
    std::size_t rowsRead = 0;
    // In-field steps, pTRM checks, IRM, anisotropy and other kinds of step.
    std::size_t otherExperiments = 0;
    // AF steps when thermal ones were asked for, and the reverse (with their experiment's NRM).
    std::size_t otherDemagnetization = 0;
    // Flagged rows left out: all of them, or when flagged rows are kept, those of a step a good
    // row measured too and those without their level.
    std::size_t flaggedBad = 0;
    // Flagged rows kept as steps marked bad (merged with each other at one step).
    std::size_t flaggedKept = 0;
    // Rows whose moment is empty or NaN.
    std::size_t missingMoment = 0;
    // Rows folded into an earlier row at the same step (averaged, or replaced by the last).
    std::size_t repeatsMerged = 0;
    // Rows kept beside an earlier row at the same step when every repeat is kept.
    std::size_t repeatsKept = 0;
    // Specimens left with no step at all.
    std::size_t specimensWithoutSteps = 0;
    // Anything else the user should know (an orientation a reader could not use, ...).
    std::vector<std::string> notes;
};

struct MeasurementSet
{
    std::vector<Specimen> specimens;
    ReadSummary summary;
    // Every file the reader read (the file given, its siblings, the specimen files of a .sam
    // file, the files of a folder): none of them may be replaced by an output.
    std::vector<std::string> files;
};

// Whether a set read for thermal steps is a file of AF demagnetization: it left AF steps out and
// kept no thermal step.
bool holdsAfStepsOnly(const MeasurementSet &thermalReading);

// The readings of a specimen read with every repeat kept (RepeatRule::All) merged at each step
// as a reading with options' repeat rule and flagged rows kept merges the rows of a file: a
// reading marked bad is left out where a good one measured its step, and a step whose readings
// are all bad is kept as a bad step. The rows merged and flagged are counted in summary.
Specimen mergedReadings(const Specimen &readings, ReadOptions options, ReadSummary &summary);

// For each reading of a specimen read with every repeat kept, the index of its step among the
// steps merged from them (by mergedReadings), or -1 where there is none.
std::vector<int> stepsOfReadings(const Specimen &readings, const Specimen &merged);

// One measurement row as a reader found it, before the rules are applied.
struct RawStep
{
    Treatment treatment = Treatment::Nrm;
    double level = 0;
    double x = 0;
    double y = 0;
    double z = 0;
    std::optional<double> errorDegrees;
    // The demagnetization of the experiment an NRM row belongs to, where the file says.
    std::optional<DemagKind> experiment;
    bool flaggedBad = false;
    bool missingMoment = false;
    // The row has no level (a flagged row may lack it; any other is refused by its reader).
    bool missingLevel = false;
};

// Gathers the rows of a file into specimens in the order first met, applying the rules:
// flagged rows (unless kept as bad steps), other experiments, the other demagnetization and
// rows without a moment are counted and left out; repeats at one step follow the options, a
// good row standing for its step before any flagged one.
class SpecimenCollector
{
public:
    SpecimenCollector(const ReadOptions &options, ReadSummary &summary);

    // The specimen of that name, made empty the first time it is asked for.
    Specimen &specimen(const std::string &name);
    void add(const std::string &specimenName, const RawStep &step);
    // The specimens with at least one step, repeats handled.
    std::vector<Specimen> finish();

private:
    // Steps at one treatment and level (to a millionth of a degree or mT) count as one step.
    // Packed in one number, the level in millionths times four plus the treatment, so that a
    // step's entry takes 32 bytes.
    using StepKey = long long;
    // A step of a specimen: where it stands among the kept steps, and the rows merged into it.
    struct Repeat
    {
        StepKey key;
        std::uint32_t first = 0;
        std::uint32_t count = 0;
        std::uint32_t errorCount = 0;
        double errorSum = 0;
    };
    // A specimen's steps so far, found by key. Rows mostly come in the order of their steps, so
    // that a step is appended to a sorted array (32 bytes a step against about 96 in a tree, for
    // tables of a million rows); a specimen of many steps met out of order keeps those that come
    // after its first MaxSortedSteps in a tree, so that no file makes the reading quadratic.
    struct KnownSteps
    {
        std::vector<Repeat> sorted;
        std::map<StepKey, Repeat> late;
        // The step of that key, added (with first set to first) when it is new.
        std::pair<Repeat *, bool> find(const StepKey &key, std::size_t first);
    };
    static constexpr std::size_t MaxSortedSteps = 4096;

    // Keeps a step of the specimen at index, merged with the earlier rows at its step as the
    // options say.
    void keep(std::size_t index, const SpecimenStep &step);
    // Merges a flagged row, or a good row over flagged ones, at a step met before; false when
    // the rows at the step are alike (both good or both flagged).
    bool settleFlagged(std::vector<SpecimenStep> &steps, Repeat &repeat, const SpecimenStep &step);

    ReadOptions m_options;
    ReadSummary &m_summary;
    std::vector<Specimen> m_specimens;
    // Per specimen, its steps so far: repeats are merged as they come, so that memory follows
    // the steps kept rather than the rows read.
    std::vector<KnownSteps> m_steps;
    std::unordered_map<std::string, std::size_t> m_index;
    // The specimen last asked for: rows of one specimen mostly follow each other.
    std::string m_lastName;
    std::size_t m_last = 0;
};

} // namespace Demagora

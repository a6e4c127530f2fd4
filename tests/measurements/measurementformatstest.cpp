#include "measurements/magictables.h"
#include "measurements/puffinplotfile.h"
#include "measurements/utrechtfile.h"

#include "measurementfixtures.h"
#include "model/angles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <sstream>

namespace Demagora {
namespace {

using Fixtures::lines;
using Fixtures::split;
using Row = std::map<std::string, std::string>;

// A MagIC table read by its header: the table's name and one map per row.
struct MagicTableText
{
    std::string name;
    std::vector<Row> rows;
};

MagicTableText readMagicTable(const std::vector<std::string> &tableLines)
{
    MagicTableText table;
    const std::vector<std::string> title = split(tableLines.at(0), '\t');
    EXPECT_EQ(title.size(), 2u);
    EXPECT_EQ(title.at(0), "tab");
    table.name = title.at(1);
    const std::vector<std::string> header = split(tableLines.at(1), '\t');
    for (std::size_t i = 2; i < tableLines.size(); ++i) {
        const std::vector<std::string> fields = split(tableLines[i], '\t');
        EXPECT_EQ(fields.size(), header.size()) << tableLines[i];
        Row row;
        for (std::size_t f = 0; f < header.size() && f < fields.size(); ++f)
            row[header[f]] = fields[f];
        table.rows.push_back(row);
    }
    return table;
}

std::string written(const std::function<void(std::ostream &)> &write)
{
    std::ostringstream stream;
    write(stream);
    return stream.str();
}

class MeasurementFormatsTest : public ::testing::Test
{
protected:
    MeasurementFormatsTest()
        : series(Fixtures::scatteredRun())
    {
        settings.schedule = parseSchedule("20,150,300,451,700");
        settings.scaleAPerM = 2e-3;
        settings.volumeCm3 = 8;
        settings.prefix = "dm";
        settings.latitude = 45.5;
        settings.longitude = -3.25;
    }

    // The run's point a listed temperature measures (outside the run: its nearest end).
    const TResultVectors &point(std::size_t member, std::size_t step) const
    {
        const std::size_t index[] = { 0, 0, 150, 301, 430 };
        return series[member][index[step]];
    }

    ResultSeries series;
    MeasurementSettings settings;
    const std::int32_t degrees[5] = { 0, 150, 300, 451, 700 }; // the NRM as 0
};

TEST_F(MeasurementFormatsTest, MagicTablesLinkSpecimensAndHoldTheRunsVectors)
{
    const MeasuredSeries measured(series, settings);
    std::map<std::string, MagicTableText> tables;
    for (const MagicTable table : MagicTables) {
        const auto text = written([&](std::ostream &s) { writeMagicTable(s, measured, table); });
        tables[magicTableName(table)] = readMagicTable(lines(text));
        EXPECT_EQ(tables[magicTableName(table)].name, magicTableName(table));
    }

    // Every column the data model's validator requires, filled in every row, with values
    // from its controlled vocabularies; longitudes run from 0 to 360 (3.25 W is 356.75).
    struct Required
    {
        const char *table;
        std::map<std::string, std::string> values; // an empty value: any, but not empty
    };
    const Required required[] = {
        { "locations",
            { { "location", "dm" }, { "location_type", "Outcrop" },
                { "geologic_classes", "Not Specified" }, { "lithologies", "Not Specified" },
                { "lat_s", "45.5" }, { "lat_n", "45.5" }, { "lon_w", "356.75" },
                { "lon_e", "356.75" }, { "age_unit", "Ma" }, { "citations", "This study" } } },
        { "sites",
            { { "site", "dm" }, { "location", "dm" }, { "method_codes", "GM-NO" },
                { "citations", "This study" }, { "geologic_classes", "Not Specified" },
                { "geologic_types", "Not Specified" }, { "lithologies", "Not Specified" },
                { "lat", "45.5" }, { "lon", "356.75" }, { "age", "" }, { "age_unit", "Ma" } } },
        { "samples",
            { { "sample", "" }, { "site", "dm" }, { "method_codes", "SO-NO" },
                { "citations", "This study" } } },
        { "specimens",
            { { "specimen", "" }, { "sample", "" }, { "method_codes", "LP-DIR-T" },
                { "citations", "This study" } } },
        { "measurements",
            { { "measurement", "" }, { "experiment", "" }, { "specimen", "" }, { "sequence", "" },
                { "standard", "u" }, { "quality", "g" }, { "method_codes", "" },
                { "citations", "This study" } } },
    };
    for (const Required &r : required) {
        SCOPED_TRACE(r.table);
        ASSERT_FALSE(tables[r.table].rows.empty());
        for (const Row &row : tables[r.table].rows) {
            for (const auto &[column, value] : r.values) {
                SCOPED_TRACE(column);
                ASSERT_TRUE(row.contains(column));
                if (value.empty())
                    EXPECT_FALSE(row.at(column).empty());
                else
                    EXPECT_EQ(row.at(column), value);
            }
        }
    }
    // A longitude east stays as it is.
    settings.longitude = 12.5;
    const auto east = written([&](std::ostream &s) {
        writeMagicTable(s, MeasuredSeries(series, settings), MagicTable::Sites);
    });
    EXPECT_EQ(readMagicTable(lines(east)).rows.at(0).at("lon"), "12.5");
    EXPECT_EQ(magicUploadFileName("dm"), "dm_upload.txt");
    ASSERT_EQ(tables["samples"].rows.size(), 11u);
    ASSERT_EQ(tables["specimens"].rows.size(), 11u);
    const Row &specimen = tables["specimens"].rows.at(10);
    EXPECT_EQ(specimen.at("specimen"), "dm10");
    EXPECT_EQ(specimen.at("sample"), "dm10");
    EXPECT_EQ(specimen.at("meas_step_unit"), "K");
    EXPECT_DOUBLE_EQ(std::stod(specimen.at("volume")), 8e-6);
    const Row &sample = tables["samples"].rows.at(10);
    EXPECT_EQ(sample.at("site"), "dm");
    EXPECT_EQ(sample.at("azimuth"), "0");
    EXPECT_EQ(sample.at("dip"), "0");

    const std::vector<Row> &rows = tables["measurements"].rows;
    ASSERT_EQ(rows.size(), 11u * 5);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::size_t member = r / 5;
        const std::size_t step = r % 5;
        SCOPED_TRACE(r);
        const Row &row = rows[r];
        const TResultVectors &p = point(member, step);
        EXPECT_EQ(row.at("specimen"),
            member < 10 ? "dm0" + std::to_string(member) : "dm" + std::to_string(member));
        EXPECT_EQ(row.at("sequence"), std::to_string(r + 1));
        EXPECT_EQ(row.at("method_codes"), step == 0 ? "LT-NO:LP-DIR-T" : "LT-T-Z:LP-DIR-T");
        EXPECT_EQ(row.at("treat_temp"), std::to_string(degrees[step] + 273));
        EXPECT_EQ(row.at("meas_temp"), "273");
        EXPECT_EQ(row.at("quality") + row.at("standard") + row.at("treat_dc_field"), "gu0");
        EXPECT_NEAR(std::stod(row.at("dir_dec")), std::fmod(p.Declination() + 360, 360), 1e-6);
        EXPECT_NEAR(std::stod(row.at("dir_inc")), p.Inclination(), 1e-6);
        const double volumeMagnetization = p.Length() * 2e-3;
        EXPECT_NEAR(
            std::stod(row.at("magn_volume")), volumeMagnetization, 1e-9 * volumeMagnetization);
        EXPECT_NEAR(std::stod(row.at("magn_moment")), volumeMagnetization * 8e-6,
            1e-9 * volumeMagnetization * 8e-6);
    }
    std::set<std::string> names;
    for (const Row &row : rows)
        names.insert(row.at("measurement"));
    EXPECT_EQ(names.size(), rows.size());

    // The combined file: the same tables, parents first.
    const std::vector<std::string> combined
        = lines(written([&](std::ostream &s) { writeMagicContribution(s, measured); }));
    std::vector<MagicTableText> parts;
    std::vector<std::string> part;
    for (const std::string &line : combined) {
        if (line == ">>>>>>>>>>") {
            parts.push_back(readMagicTable(part));
            part.clear();
        } else {
            part.push_back(line);
        }
    }
    parts.push_back(readMagicTable(part));
    ASSERT_EQ(parts.size(), 6u);
    EXPECT_EQ(parts[0].name, "contribution");
    EXPECT_EQ(parts[0].rows.at(0).at("data_model_version"), "3.0");
    const char *order[] = { "locations", "sites", "samples", "specimens", "measurements" };
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(order[i]);
        EXPECT_EQ(parts[i + 1].name, order[i]);
        EXPECT_EQ(parts[i + 1].rows, tables[order[i]].rows);
    }
}

TEST_F(MeasurementFormatsTest, PuffinPlotLinesHoldSampleCoordinatesInAPerM)
{
    const std::vector<std::string> text = lines(written(
        [&](std::ostream &s) { writePuffinPlotFile(s, MeasuredSeries(series, settings)); }));
    ASSERT_EQ(text.size(), 2 + 11u * 5 + 1);
    EXPECT_EQ(text[0], "PuffinPlot file. Version 3");
    EXPECT_EQ(text.back(), "");
    const std::vector<std::string> header = split(text[1], '\t');
    for (std::size_t r = 0; r < 11 * 5; ++r) {
        const std::size_t member = r / 5;
        const std::size_t step = r % 5;
        SCOPED_TRACE(r);
        const std::vector<std::string> fields = split(text[r + 2], '\t');
        ASSERT_EQ(fields.size(), header.size());
        Row row;
        for (std::size_t f = 0; f < header.size(); ++f)
            row[header[f]] = fields[f];
        const TResultVectors &p = point(member, step);
        EXPECT_EQ(row.at("DISCRETE_ID"),
            member < 10 ? "dm0" + std::to_string(member) : "dm" + std::to_string(member));
        EXPECT_EQ(row.at("MEAS_TYPE"), "DISCRETE");
        EXPECT_EQ(row.at("TREATMENT"), step == 0 ? "NONE" : "THERMAL");
        EXPECT_EQ(row.at("TEMPERATURE"), std::to_string(degrees[step]));
        EXPECT_NEAR(std::stod(row.at("X_MOMENT")), p.X * 2e-3, 1e-9 * std::abs(p.X * 2e-3));
        EXPECT_NEAR(std::stod(row.at("Y_MOMENT")), p.Y * 2e-3, 1e-9 * std::abs(p.Y * 2e-3));
        EXPECT_NEAR(std::stod(row.at("Z_MOMENT")), p.Z * 2e-3, 1e-9 * std::abs(p.Z * 2e-3));
        EXPECT_EQ(row.at("VOLUME"), "8");
        EXPECT_EQ(
            row.at("SAMPLE_AZ") + row.at("SAMPLE_DIP") + row.at("FORM_AZ") + row.at("FORM_DIP"),
            "09000");
    }
}

TEST_F(MeasurementFormatsTest, UtrechtRowsHoldPicoMomentsOnTheirAxesAndAgreeWithNoise)
{
    settings.noiseAPerM = 1e-4;
    settings.noiseSeed = 5;
    const MeasuredSeries measured(series, settings);
    const std::vector<std::string> text
        = lines(written([&](std::ostream &s) { writeUtrechtFile(s, measured); }));
    // Every specimen block ends with 9999, the last one too; then END.
    ASSERT_EQ(text.size(), 1 + 11u * (1 + 5 + 1) + 1);
    EXPECT_EQ(text.back(), "END");
    std::size_t line = 1;
    for (std::size_t member = 0; member < 11; ++member) {
        SCOPED_TRACE(member);
        const std::vector<std::string> head = split(text.at(line++), ',');
        ASSERT_EQ(head.size(), 7u);
        EXPECT_EQ(head[0], '"' + measured.specimenName(member) + '"');
        EXPECT_EQ(head[2] + head[3] + head[4] + head[5] + head[6], "090800");
        const std::vector<MeasuredStep> steps = measured.specimen(member);
        for (std::size_t step = 0; step < 5; ++step) {
            const std::vector<std::string> row = split(text.at(line++), ',');
            ASSERT_EQ(row.size(), 7u);
            EXPECT_EQ(row[0], std::to_string(degrees[step]));
            // pico A m2 = A/m * 8 cm3 * 1e6; a = -z, b = -x, c = y.
            const double a = std::stod(row[1]), b = std::stod(row[2]), c = std::stod(row[3]);
            EXPECT_NEAR(a, -steps[step].z * 8e6, 1e-9 * std::abs(a));
            EXPECT_NEAR(b, -steps[step].x * 8e6, 1e-9 * std::abs(b));
            EXPECT_NEAR(c, steps[step].y * 8e6, 1e-9 * std::abs(c));
            // The noise shows, at about its size.
            const double noiseFree = point(member, step).Y * 2e-3 * 8e6;
            EXPECT_NE(c, noiseFree);
            EXPECT_LT(std::abs(c - noiseFree), 6 * 1e-4 * 8e6);
        }
        EXPECT_EQ(text.at(line++), "9999");
    }
    EXPECT_EQ(line, text.size() - 1);
    EXPECT_EQ(utrechtFileName("run.th"), "run.th");
    EXPECT_EQ(utrechtFileName("run"), "run.TH");
    EXPECT_EQ(utrechtFileName("run.TH.txt"), "run.TH.txt.TH");
}

} // namespace
} // namespace Demagora

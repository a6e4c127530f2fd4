#include "document/scenario.h"

#include "model/inputchecks.h"
#include "model/modelerror.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <limits>
#include <set>
#include <vector>

namespace Demagora {

namespace {

using Json = nlohmann::json;

// Every component gets three standard deviations in half its blocking range, as in the
// main window.
constexpr std::int32_t ComponentSigmaCount = GaussSigmasEachSide;

// Reads one JSON object, naming the file and the path of each field in its messages.
class FieldReader
{
public:
    FieldReader(const Json &object, std::string sourceName, std::string path)
        : m_object(object)
        , m_sourceName(std::move(sourceName))
        , m_path(std::move(path))
    { }

    [[noreturn]] void fail(const std::string &field, const std::string &problem) const
    {
        throw ScenarioError(m_sourceName + ": " + fieldPath(field) + ": " + problem);
    }

    std::string fieldPath(const std::string &field) const
    {
        return m_path.empty() ? field : m_path + "." + field;
    }

    void refuseUnknownFields(std::initializer_list<std::string_view> known) const
    {
        for (const auto &item : m_object.items()) {
            bool isKnown = false;
            for (const std::string_view name : known)
                isKnown = isKnown || item.key() == name;
            if (!isKnown)
                fail(shownName(item.key()), "unknown field");
        }
    }

    const Json *find(const std::string &field) const
    {
        const auto it = m_object.find(field);
        return it == m_object.end() ? nullptr : &*it;
    }

    const Json &required(const std::string &field) const
    {
        const Json *value = find(field);
        if (!value)
            fail(field, "missing");
        return *value;
    }

    double number(const std::string &field) const
    {
        const Json &value = required(field);
        if (!value.is_number())
            fail(field, "expected a number, got " + shown(value));
        const double number = value.get<double>();
        // The JSON reader turns a number beyond the double range into an infinity.
        if (!std::isfinite(number))
            fail(field, "the number is too large");
        return number;
    }

    bool boolean(const std::string &field) const
    {
        const Json &value = required(field);
        if (!value.is_boolean())
            fail(field, "expected true or false, got " + shown(value));
        return value.get<bool>();
    }

    std::string text(const std::string &field) const
    {
        const Json &value = required(field);
        if (!value.is_string())
            fail(field, "expected a text, got " + shown(value));
        return value.get<std::string>();
    }

    // A whole number from minimum to maximum; integral floating values such as 30.0 count.
    std::uint64_t wholeNumber(
        const std::string &field, std::int64_t minimum, std::uint64_t maximum) const
    {
        const Json &value = required(field);
        const std::string expected = "expected a whole number from " + std::to_string(minimum)
            + " to " + std::to_string(maximum) + ", got " + shown(value);
        if (value.is_number_unsigned()) {
            const auto number = value.get<std::uint64_t>();
            if (number > maximum || (minimum > 0 && number < static_cast<std::uint64_t>(minimum)))
                fail(field, expected);
            return number;
        }
        if (value.is_number_integer()) {
            const auto number = value.get<std::int64_t>();
            if (number < minimum || (number >= 0 && static_cast<std::uint64_t>(number) > maximum))
                fail(field, expected);
            return static_cast<std::uint64_t>(number);
        }
        if (value.is_number_float()) {
            const double number = value.get<double>();
            if (!(std::floor(number) == number && number >= static_cast<double>(minimum)
                    && number <= static_cast<double>(maximum)))
                fail(field, expected);
            return static_cast<std::uint64_t>(number);
        }
        fail(field, expected);
    }

    // A field name as the message shows it: as it stands when it is plain, else as a JSON
    // string with its control characters escaped; shortened when long.
    static std::string shownName(const std::string &name)
    {
        std::string text = Json(name).dump(-1, ' ', true, Json::error_handler_t::replace);
        if (text == "\"" + name + "\"")
            text = name;
        constexpr std::size_t MaxShown = 60;
        if (text.size() > MaxShown)
            text = text.substr(0, MaxShown) + "...";
        return text;
    }

    // A value as the message shows it: JSON text on one line, shortened when long.
    // Lists and objects are named, not written out: they may be nested arbitrarily deep.
    static std::string shown(const Json &value)
    {
        if (value.is_object())
            return "an object";
        if (value.is_array())
            return "a list";
        std::string text = value.dump(-1, ' ', true);
        constexpr std::size_t MaxShown = 60;
        if (text.size() > MaxShown)
            text = text.substr(0, MaxShown) + "...";
        return text;
    }

private:
    const Json &m_object;
    std::string m_sourceName;
    std::string m_path;
};

void requireObject(const Json &value, const std::string &sourceName, const std::string &path)
{
    if (!value.is_object()) {
        throw ScenarioError(sourceName + ": " + (path.empty() ? "the scenario" : path)
            + ": expected an object, got " + FieldReader::shown(value));
    }
}

SpectrumShape readShape(const FieldReader &reader)
{
    const std::string shape = reader.text("shape");
    if (shape == "gauss")
        return SpectrumShape::Gauss;
    if (shape == "rectangular")
        return SpectrumShape::Rectangular;
    reader.fail("shape",
        "unknown shape " + FieldReader::shown(Json(shape))
            + " (expected \"gauss\" or \"rectangular\")");
}

// Runs a check of the model and names the field in its refusal.
template <typename Check, typename Value>
void checked(const FieldReader &reader, const std::string &field, Check check, Value value)
{
    try {
        check(value);
    } catch (const ModelError &error) {
        reader.fail(field, error.what());
    }
}

// The draw settings a component may carry of its own; each needs the scenario's population.
constexpr const char *DrawFields[] = { "fisherK", "heightStdDev", "seed", "skippedDraws" };

// skippedSoFar: the numbers the components before this one skip, all together.
ComponentDraw readDraw(const FieldReader &reader, bool scattered, std::uint64_t &skippedSoFar)
{
    ComponentDraw draw;
    for (const char *field : DrawFields) {
        if (reader.find(field) && !scattered)
            reader.fail(field, "only a scenario with a population scatters its components");
    }
    if (reader.find("fisherK")) {
        draw.fisherK = reader.number("fisherK");
        checked(reader, "fisherK", checkFisherK, *draw.fisherK);
    }
    if (reader.find("heightStdDev")) {
        draw.heightStdDev = reader.number("heightStdDev");
        checked(reader, "heightStdDev", checkHeightStdDev, *draw.heightStdDev);
    }
    if (reader.find("seed"))
        draw.seed = reader.wholeNumber("seed", 0, MaxScenarioSeed);
    if (reader.find("skippedDraws")) {
        if (!draw.seed)
            reader.fail("skippedDraws", "needs the component's own seed");
        draw.skippedDraws = reader.wholeNumber("skippedDraws", 0, MaxSkippedDraws);
        skippedSoFar += draw.skippedDraws;
        if (skippedSoFar > MaxSkippedDraws) {
            reader.fail("skippedDraws",
                "takes the numbers skipped by the components so far to "
                    + std::to_string(skippedSoFar) + ", more than the "
                    + std::to_string(MaxSkippedDraws) + " a scenario may skip");
        }
    }
    return draw;
}

TVector readComponent(const Json &object, const std::string &sourceName, const std::string &path,
    bool scattered, ComponentDraw &draw, std::uint64_t &skippedSoFar)
{
    requireObject(object, sourceName, path);
    const FieldReader reader(object, sourceName, path);
    reader.refuseUnknownFields({ "declination", "inclination", "height", "blockLow", "blockHigh",
        "shape", "fisherK", "heightStdDev", "seed", "skippedDraws" });

    // Filled as Add direction fills a component; its current temperature is its lower
    // blocking temperature.
    TVector component;
    component.SigmaCount = ComponentSigmaCount;
    component.Declination = reader.number("declination");
    component.Inclination = reader.number("inclination");
    component.Height = reader.number("height");
    checked(reader, "height", checkHeight, component.Height);
    component.Shape = readShape(reader);
    component.BlockLow = reader.number("blockLow");
    checked(reader, "blockLow", checkBlockingTemperature, component.BlockLow);
    component.BlockHigh = reader.number("blockHigh");
    checked(reader, "blockHigh", checkBlockingTemperature, component.BlockHigh);
    component.SetTemperature(component.BlockLow);
    draw = readDraw(reader, scattered, skippedSoFar);
    return component;
}

ReportKind readReport(const FieldReader &reader)
{
    const std::string report = reader.text("report");
    if (report == "initial")
        return ReportKind::Initial;
    if (report == "resulting")
        return ReportKind::Resulting;
    reader.fail("report",
        "unknown report " + FieldReader::shown(Json(report))
            + " (expected \"initial\" or \"resulting\")");
}

PopulationSettings readPopulation(const Json &object, const std::string &sourceName)
{
    requireObject(object, sourceName, "population");
    const FieldReader reader(object, sourceName, "population");
    reader.refuseUnknownFields({ "randomPoints", "fisherK", "differentLengths", "heightStdDev" });

    PopulationSettings settings;
    settings.randomPoints = static_cast<std::int32_t>(reader.wholeNumber(
        "randomPoints", 1, static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())));
    checked(reader, "randomPoints", checkRandomPoints, settings.randomPoints);
    settings.fisherK = reader.number("fisherK");
    checked(reader, "fisherK", checkFisherK, settings.fisherK);
    settings.differentLengths = reader.boolean("differentLengths");
    settings.heightStdDev = reader.number("heightStdDev");
    checked(reader, "heightStdDev", checkHeightStdDev, settings.heightStdDev);
    return settings;
}

// Refuses an object that names a field twice while the text is read: the reader would
// silently keep the last value, and a scenario must mean one thing.
class DuplicateKeyCheck
{
public:
    explicit DuplicateKeyCheck(std::string sourceName)
        : m_sourceName(std::move(sourceName))
    { }

    bool operator()(int, Json::parse_event_t event, Json &parsed)
    {
        switch (event) {
        case Json::parse_event_t::object_start:
            countElement();
            m_frames.push_back({ true, {}, {}, 0 });
            break;
        case Json::parse_event_t::array_start:
            countElement();
            m_frames.push_back({ false, {}, {}, 0 });
            break;
        case Json::parse_event_t::object_end:
        case Json::parse_event_t::array_end:
            m_frames.pop_back();
            break;
        case Json::parse_event_t::key: {
            const std::string key = parsed.get<std::string>();
            m_frames.back().lastKey = key;
            if (!m_frames.back().keys.insert(key).second) {
                m_frames.pop_back();
                const std::string path = currentPath();
                throw ScenarioError(m_sourceName + ": " + (path.empty() ? "" : path + ": ")
                    + "the field \"" + key + "\" is given twice in one object; keep one");
            }
            break;
        }
        case Json::parse_event_t::value:
            countElement();
            break;
        }
        return true;
    }

private:
    struct Frame
    {
        bool isObject;
        std::set<std::string> keys;
        std::string lastKey;
        std::size_t elements; // of a list: how many have started
    };

    void countElement()
    {
        if (!m_frames.empty() && !m_frames.back().isObject)
            ++m_frames.back().elements;
    }

    // Where the innermost open object lies: "components[1]", or empty for the top.
    std::string currentPath() const
    {
        std::string path;
        for (const Frame &frame : m_frames) {
            if (frame.isObject)
                path += (path.empty() ? "" : ".") + frame.lastKey;
            else
                path += "[" + std::to_string(frame.elements - 1) + "]";
        }
        return path;
    }

    std::string m_sourceName;
    std::vector<Frame> m_frames;
};

// The reader's own text for a syntax error, except for text after the end, which it reports
// as a bare unexpected character.
[[noreturn]] void refuseParseError(
    std::string_view json, const std::string &sourceName, const Json::parse_error &error)
{
    std::string what = error.what();
    if (what.find("; expected end of input") != std::string::npos && error.byte > 0) {
        const std::size_t at = std::min<std::size_t>(error.byte - 1, json.size());
        const auto line = 1 + std::count(json.begin(), json.begin() + at, '\n');
        throw ScenarioError(sourceName + ": line " + std::to_string(line)
            + ": text after the end of the scenario; a scenario is one JSON object");
    }
    // The reader's text starts with its own error code in brackets; the user needs the rest.
    if (const auto bracket = what.find("] "); what.starts_with("[") && bracket != std::string::npos)
        what = what.substr(bracket + 2);
    throw ScenarioError(sourceName + ": malformed JSON: " + what);
}

} // namespace

Scenario parseScenario(std::string_view json, const std::string &sourceName)
{
    // The JSON reader takes a NUL byte for the end of the text and would ignore the rest.
    if (const std::size_t nul = json.find('\0'); nul != std::string_view::npos) {
        const auto line = 1 + std::count(json.begin(), json.begin() + nul, '\n');
        throw ScenarioError(sourceName + ": line " + std::to_string(line)
            + ": a NUL byte; a scenario is JSON text and holds none");
    }
    Json root;
    try {
        DuplicateKeyCheck duplicates(sourceName);
        root = Json::parse(json, std::ref(duplicates));
    } catch (const Json::parse_error &error) {
        refuseParseError(json, sourceName, error);
    } catch (const Json::exception &error) {
        // The reader's text starts with its own error code in brackets; the user needs the rest.
        // Besides syntax errors it refuses numbers beyond the double range.
        std::string what = error.what();
        if (const auto bracket = what.find("] ");
            what.starts_with("[") && bracket != std::string::npos)
            what = what.substr(bracket + 2);
        throw ScenarioError(sourceName + ": malformed JSON: " + what);
    }

    requireObject(root, sourceName, "");
    const FieldReader reader(root, sourceName, "");
    reader.refuseUnknownFields({ "version", "components", "population", "seed", "report" });
    // A newer program may have added what this one would silently ignore.
    if (reader.find("version")) {
        const std::uint64_t version = reader.wholeNumber("version", 1, 1'000'000);
        if (version > static_cast<std::uint64_t>(ScenarioVersion)) {
            reader.fail("version",
                "written by a newer Demagora (format version " + std::to_string(version)
                    + "); this one reads up to version " + std::to_string(ScenarioVersion));
        }
    }

    Scenario scenario;
    if (const Json *population = reader.find("population"))
        scenario.population = readPopulation(*population, sourceName);
    const Json &components = reader.required("components");
    if (!components.is_array())
        reader.fail(
            "components", "expected a list of components, got " + FieldReader::shown(components));
    if (components.empty())
        reader.fail("components", "the list is empty: at least one component is needed");
    scenario.components.reserve(components.size());
    std::vector<ComponentDraw> draws(components.size());
    std::uint64_t skipped = 0;
    for (std::size_t i = 0; i < components.size(); ++i) {
        scenario.components.push_back(
            readComponent(components[i], sourceName, "components[" + std::to_string(i) + "]",
                scenario.population.has_value(), draws[i], skipped));
    }
    if (std::any_of(draws.begin(), draws.end(),
            [](const ComponentDraw &draw) { return draw != ComponentDraw {}; }))
        scenario.draws = std::move(draws);

    if (reader.find("seed"))
        scenario.seed = reader.wholeNumber("seed", 0, MaxScenarioSeed);
    if (reader.find("report"))
        scenario.report = readReport(reader);
    return scenario;
}

Scenario readScenarioFile(const std::string &path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw ScenarioError(path + ": cannot read the scenario file: it is a folder");
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw ScenarioError(path + ": cannot open the scenario file: " + std::strerror(errno));
    // Read in pieces up to one byte past the limit, so that an endless source (a device, a
    // pipe) is refused instead of filling the memory.
    std::string text;
    char buffer[65536];
    while (file && text.size() <= MaxScenarioFileBytes) {
        file.read(buffer, sizeof buffer);
        text.append(buffer, static_cast<std::size_t>(file.gcount()));
    }
    if (file.bad())
        throw ScenarioError(path + ": cannot read the scenario file: " + std::strerror(errno));
    if (text.size() > MaxScenarioFileBytes) {
        throw ScenarioError(path + ": the scenario file is larger than "
            + std::to_string(MaxScenarioFileBytes / (1024 * 1024))
            + " MiB, the most a scenario may take");
    }
    return parseScenario(text, path);
}

} // namespace Demagora

namespace Demagora {

namespace {

// Keys keep the order written here, the order of the examples, rather than sorted.
using OrderedJson = nlohmann::ordered_json;

OrderedJson componentJson(const TVector &component, const ComponentDraw &draw,
    const std::optional<PopulationSettings> &population)
{
    OrderedJson object = OrderedJson::object();
    object["declination"] = component.Declination;
    object["inclination"] = component.Inclination;
    object["height"] = component.Height;
    object["blockLow"] = component.BlockLow;
    object["blockHigh"] = component.BlockHigh;
    object["shape"] = component.Shape == SpectrumShape::Gauss ? "gauss" : "rectangular";
    if (!population)
        return object;
    if (draw.fisherK && *draw.fisherK != population->fisherK)
        object["fisherK"] = *draw.fisherK;
    if (draw.heightStdDev && *draw.heightStdDev != population->heightStdDev)
        object["heightStdDev"] = *draw.heightStdDev;
    if (draw.seed) {
        object["seed"] = *draw.seed;
        if (draw.skippedDraws != 0)
            object["skippedDraws"] = draw.skippedDraws;
    }
    return object;
}

} // namespace

void writeScenario(std::ostream &out, const Scenario &scenario)
{
    if (scenario.components.empty())
        throw ScenarioError("a scenario without components cannot be saved: add a component first");
    OrderedJson root;
    root["version"] = ScenarioVersion;
    OrderedJson components = OrderedJson::array();
    for (std::size_t i = 0; i < scenario.components.size(); ++i) {
        components.push_back(
            componentJson(scenario.components[i], scenario.draw(i), scenario.population));
    }
    root["components"] = std::move(components);
    if (const auto &population = scenario.population) {
        OrderedJson settings;
        settings["randomPoints"] = population->randomPoints;
        settings["fisherK"] = population->fisherK;
        settings["differentLengths"] = population->differentLengths;
        settings["heightStdDev"] = population->heightStdDev;
        root["population"] = std::move(settings);
    }
    if (scenario.seed)
        root["seed"] = *scenario.seed;
    if (scenario.report)
        root["report"] = *scenario.report == ReportKind::Initial ? "initial" : "resulting";
    // Reals are written in the shortest form that reads back to the same double.
    out << root.dump(4) << '\n';
}

} // namespace Demagora

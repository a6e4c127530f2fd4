#include "measurements/readertext.h"

#include "measurements/measurementerror.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Demagora {

namespace {

// A descriptor closed with its owner.
class OpenFile
{
public:
    explicit OpenFile(const std::string &path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY))
    { }
    ~OpenFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OpenFile(const OpenFile &) = delete;
    OpenFile &operator=(const OpenFile &) = delete;

    int fd() const { return m_fd; }

private:
    int m_fd;
};

[[noreturn]] void refuseFile(const std::string &path, const std::string &why)
{
    throw MeasurementError(shownPath(path) + ": " + why);
}

std::string errorText(int error)
{
    return lowerCase(std::strerror(error)) + ".";
}

// The status of a regular file opened for reading. The name is looked at before it is opened,
// as opening a pipe or a device may itself wait or act; the opened file is then checked to be
// the one looked at. Opened without blocking all the same, in case the name changed between.
struct stat openRegular(const OpenFile &file, const std::string &path, const struct stat &named)
{
    if (file.fd() < 0)
        refuseFile(path, "the file cannot be opened: " + errorText(errno));
    struct stat opened;
    if (::fstat(file.fd(), &opened) != 0)
        refuseFile(path, "the file cannot be read: " + errorText(errno));
    if (opened.st_dev != named.st_dev || opened.st_ino != named.st_ino)
        refuseFile(path, "the file was replaced while it was opened; read it again.");
    return opened;
}

struct stat namedRegular(const std::string &path)
{
    struct stat named;
    if (::stat(path.c_str(), &named) != 0) {
        if (errno == ENOENT)
            refuseFile(path, "no such file or folder.");
        refuseFile(path, "the file cannot be opened: " + errorText(errno));
    }
    if (S_ISDIR(named.st_mode))
        refuseFile(path, "a folder, where a file was expected.");
    if (!S_ISREG(named.st_mode))
        refuseFile(path,
            "not a regular file (a pipe, device or socket is never read as a measurement "
            "file).");
    return named;
}

// Reads up to size bytes; returns how many were read before the end of the file.
std::size_t readUpTo(int fd, char *buffer, std::size_t size, const std::string &path)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count = ::read(fd, buffer + done, size - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            refuseFile(path, "the file cannot be read: " + errorText(errno));
        if (count == 0)
            break;
        done += std::size_t(count);
    }
    return done;
}

bool sameTime(const struct stat &a, const struct stat &b)
{
    return a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

} // namespace

std::string FilesRead::read(const std::string &path)
{
    const struct stat named = namedRegular(path);
    const OpenFile file(path);
    const struct stat before = openRegular(file, path, named);
    const std::size_t size = std::size_t(before.st_size);
    if (before.st_size < 0 || std::uint64_t(before.st_size) > MaxMeasurementFileBytes)
        refuseFile(path, "the file is larger than 256 MiB, too large for a measurement file.");
    if (m_bytes > m_budget || size > m_budget - m_bytes) {
        const std::string most = m_budget % (1 << 20) == 0 ? std::to_string(m_budget >> 20) + " MiB"
                                                           : std::to_string(m_budget) + " bytes";
        refuseFile(path,
            "with the " + std::to_string(m_paths.size()) + " files read before it ("
                + std::to_string(m_bytes) + " bytes), more than the " + most
                + " one reading takes.");
    }
    std::string text(size, '\0');
    // One byte past the size tells a file that grew while it was read.
    char extra = 0;
    const bool complete = readUpTo(file.fd(), text.data(), size, path) == size
        && readUpTo(file.fd(), &extra, 1, path) == 0;
    struct stat after;
    if (!complete || ::fstat(file.fd(), &after) != 0 || after.st_size != before.st_size
        || !sameTime(after, before))
        refuseFile(path, "the file changed while it was read; read it again once it is written.");
    m_paths.push_back(path);
    m_bytes += size;
    return text;
}

std::string readMeasurementFile(const std::string &path)
{
    return FilesRead().read(path);
}

std::string measurementFileStart(const std::string &path, std::size_t bytes)
{
    const struct stat named = namedRegular(path);
    const OpenFile file(path);
    openRegular(file, path, named);
    std::string start(bytes, '\0');
    start.resize(readUpTo(file.fd(), start.data(), bytes, path));
    return start;
}

TextLines::TextLines(std::string path, std::string text)
    : m_path(std::move(path))
    , m_text(std::move(text))
{
    if (m_text.size() > UINT32_MAX)
        throw MeasurementError(
            shownPath(m_path) + ": the file is too large for a measurement file.");
    std::size_t at = std::string_view(m_text).starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (at < m_text.size()) {
        if (m_starts.size() == MaxMeasurementLines)
            throw MeasurementError(shownPath(m_path) + ": more than "
                + std::to_string(MaxMeasurementLines) + " lines, too many for a measurement file.");
        m_starts.push_back(std::uint32_t(at));
        const std::size_t end = m_text.find_first_of("\r\n", at);
        if (end == std::string::npos)
            break;
        at = end + 1;
        if (m_text[end] == '\r' && at < m_text.size() && m_text[at] == '\n')
            ++at;
    }
}

std::string_view TextLines::line(std::size_t index) const
{
    const std::string_view text(m_text);
    const std::size_t start = m_starts[index];
    const std::size_t end = text.find_first_of("\r\n", start);
    return text.substr(start, end == std::string_view::npos ? text.npos : end - start);
}

bool TextLines::lastLineUnended() const
{
    return !m_starts.empty() && m_text.back() != '\n' && m_text.back() != '\r';
}

std::optional<std::string> unendedLastLineNote(const TextLines &lines)
{
    if (!lines.lastLineUnended())
        return std::nullopt;
    return shownPath(lines.path()) + ", line " + std::to_string(lines.size())
        + ": the last line has no line end; if the file was cut there, its last value may "
          "have been cut short.";
}

void TextLines::fail(std::size_t index, const std::string &what) const
{
    throw MeasurementError(shownPath(m_path) + ", line " + std::to_string(index + 1) + ": " + what);
}

std::string_view trimmed(std::string_view text)
{
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> splitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    splitTabs(line, fields);
    return fields;
}

void splitTabs(std::string_view line, std::vector<std::string_view> &fields)
{
    fields.clear();
    while (true) {
        const std::size_t tab = line.find('\t');
        fields.push_back(trimmed(line.substr(0, tab)));
        if (tab == std::string_view::npos)
            return;
        line.remove_prefix(tab + 1);
    }
}

std::vector<std::string_view> splitWhitespace(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        if (i > start)
            fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
        [](unsigned char c) { return char(std::tolower(c)); });
    return lower;
}

namespace {

// The text with its control characters escaped (\t, \x1b), and quotes and backslashes too
// when it is quoted.
void appendEscaped(std::string &shown, std::string_view text, bool quoted)
{
    static const char digits[] = "0123456789abcdef";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            shown += "\\t";
        } else if (quoted && (c == '"' || c == '\\')) {
            shown += '\\';
            shown += c;
        } else if (byte < 0x20 || byte == 0x7f) {
            shown += "\\x";
            shown += digits[byte >> 4];
            shown += digits[byte & 15];
        } else {
            shown += c;
        }
    }
}

} // namespace

std::string shownText(std::string_view text)
{
    std::string shown = "\"";
    appendEscaped(shown, text.substr(0, MaxShownCharacters), true);
    shown += '"';
    if (text.size() > MaxShownCharacters)
        shown += " (cut; " + std::to_string(text.size()) + " characters in all)";
    return shown;
}

std::string shownPath(std::string_view path)
{
    std::string shown;
    appendEscaped(shown, path, false);
    return shown;
}

std::string fileNameOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<double> numberOrNothing(std::string_view field)
{
    field = trimmed(field);
    if (!field.empty() && field.front() == '+')
        field.remove_prefix(1);
    if (field.empty())
        return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(field.data(), field.data() + field.size(), value);
    if (result.ec != std::errc() || result.ptr != field.data() + field.size()
        || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::string> levelRefusal(Treatment treatment, double level)
{
    const auto text = [](double value) {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        return std::string(buffer, end);
    };
    if (treatment == Treatment::Thermal
        && !(level >= MinThermalCelsius && level <= MaxThermalCelsius))
        return "expected a temperature from " + text(MinThermalCelsius) + " to "
            + text(MaxThermalCelsius) + " degrees Celsius, found " + text(level) + ".";
    if (treatment == Treatment::AlternatingField && !(level >= 0 && level <= MaxAfMillitesla))
        return "expected an AF field from 0 to " + text(MaxAfMillitesla) + " mT, found "
            + text(level) + ".";
    return std::nullopt;
}

std::optional<double> parseOptionalNumber(
    std::string_view field, const TextLines &lines, std::size_t index, const std::string &what)
{
    field = trimmed(field);
    if (field.empty() || lowerCase(field) == "nan")
        return std::nullopt;
    if (const std::optional<double> value = numberOrNothing(field))
        return value;
    lines.fail(index, "expected " + what + ", found " + shownText(field) + ".");
}

double parseNumber(
    std::string_view field, const TextLines &lines, std::size_t index, const std::string &what)
{
    if (const std::optional<double> value = parseOptionalNumber(field, lines, index, what))
        return *value;
    lines.fail(index, "expected " + what + ", found an empty field.");
}

} // namespace Demagora

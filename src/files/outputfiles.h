#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace Demagora {

// An output that is refused or cannot be written. what() is one line for the user:
// "cannot write the series to out.csv: Permission denied". path() is the name as given,
// reason() the bare cause ("Permission denied"), and writeFailed() tells a failure while the
// bytes were going out (a full disk) from a refusal or a file that cannot be created.
class OutputError : public std::runtime_error
{
public:
    OutputError(const std::string &what, const std::string &path, const std::string &reason,
        bool writeFailed = false);

    const std::string &path() const { return m_path; }
    const std::string &reason() const { return m_reason; }
    bool writeFailed() const { return m_writeFailed; }

private:
    std::string m_path;
    std::string m_reason;
    bool m_writeFailed;
};

// Fills a stream with the content of one output; the stream's failure state reports
// a write error.
using WriteFunction = std::function<void(std::ostream &)>;
// Writes to an open file descriptor; returns false with errno set when a write failed.
using DescriptorWriter = std::function<bool(int fd)>;

// A set of files written together, the one way this program writes any file.
// Every name is checked when it is added: only a regular file or a new name is accepted (no
// folder, device, pipe or socket), a read-only file is refused whoever runs the program, no
// output may be one of the protected inputs or name a file another output names. commit()
// writes each output to an exclusively created temporary file in its target's folder and
// renames them over their targets only when all have been written; on any failure, or on
// SIGINT/SIGTERM meanwhile, every target is as it was and no temporary file is left. A
// symbolic link is written through to the file it names; an existing target keeps its
// permissions and, where the system allows it, its owner.
class OutputFiles
{
public:
    // protectedInputs: files the run reads (the scenario) that no output may replace.
    // standardOutput: where the name "-" writes, or nullptr when "-" is not accepted.
    explicit OutputFiles(
        std::vector<std::string> protectedInputs = {}, std::ostream *standardOutput = nullptr);
    ~OutputFiles();
    OutputFiles(const OutputFiles &) = delete;
    OutputFiles &operator=(const OutputFiles &) = delete;

    // what names the output in messages ("the series"). Throws OutputError.
    void add(const std::string &path, const std::string &what, WriteFunction write);
    void addDescriptorWriter(
        const std::string &path, const std::string &what, DescriptorWriter write);

    // Throws OutputError; then nothing was replaced.
    void commit();

    bool empty() const;

private:
    struct Output;
    void addChecked(Output output);
    // The steps of commit(): everything written aside first, then the replacement.
    void writeTemporaries();
    void writeStandardOutput();
    void discardTemporaries();
    void keepBackups();
    void renameOrRollBack();
    void removeBackups();

    std::vector<std::string> m_protectedInputs;
    std::ostream *m_standardOutput;
    std::vector<std::unique_ptr<Output>> m_outputs;
};

// One file on its own, in the same way (the windows' Save, Export and picture saving).
// protectedInputs: files (the open scenario) the output may not replace.
void writeOutputFile(const std::string &path, const std::string &what, const WriteFunction &write,
    const std::vector<std::string> &protectedInputs = {});

} // namespace Demagora

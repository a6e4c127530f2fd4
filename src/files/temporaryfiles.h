#pragma once

#include <string>

#include <csignal>

namespace Demagora {

// Temporary files that SIGINT, SIGTERM, SIGHUP or SIGXFSZ must not leave behind. The first
// registration installs handlers for those signals (where the program has none of its own)
// that remove every registered file and then end the program as the signal would have.
// Returns a slot for unregisterTemporaryFile, or -1 when the file could not be registered.
int registerTemporaryFile(const std::string &path);
// A folder made for the outputs: on those signals it is removed after the files, if by then it
// is empty. Unregistered with unregisterTemporaryFile.
int registerTemporaryFolder(const std::string &path);
void unregisterTemporaryFile(int slot);

// Blocks those signals for the lifetime of the object, so that a group of renames is not
// cut in the middle.
class SignalBlocker
{
public:
    SignalBlocker();
    ~SignalBlocker();
    SignalBlocker(const SignalBlocker &) = delete;
    SignalBlocker &operator=(const SignalBlocker &) = delete;

private:
    sigset_t m_previous;
};

} // namespace Demagora

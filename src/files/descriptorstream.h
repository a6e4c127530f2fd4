#pragma once

#include <streambuf>
#include <vector>

namespace Demagora {

// A stream buffer that writes to an open file descriptor in large blocks. A failed write
// puts the stream into its failure state; lastError() keeps the errno of that write.
class DescriptorStreamBuffer : public std::streambuf
{
public:
    explicit DescriptorStreamBuffer(int fd, std::size_t bufferSize = 1 << 20);
    ~DescriptorStreamBuffer() override;

    int lastError() const { return m_lastError; }

protected:
    int_type overflow(int_type character) override;
    int sync() override;
    std::streamsize xsputn(const char *data, std::streamsize count) override;

private:
    bool writeAll(const char *data, std::size_t size);
    bool flushBuffer();

    int m_fd;
    int m_lastError = 0;
    std::vector<char> m_buffer;
};

} // namespace Demagora

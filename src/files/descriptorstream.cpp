#include "files/descriptorstream.h"

#include <cerrno>

#include <unistd.h>

namespace Demagora {

DescriptorStreamBuffer::DescriptorStreamBuffer(int fd, std::size_t bufferSize)
    : m_fd(fd)
    , m_buffer(bufferSize)
{
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

DescriptorStreamBuffer::~DescriptorStreamBuffer()
{
    flushBuffer();
}

bool DescriptorStreamBuffer::writeAll(const char *data, std::size_t size)
{
    if (m_lastError != 0)
        return false;
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            m_lastError = errno;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool DescriptorStreamBuffer::flushBuffer()
{
    const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return writeAll(m_buffer.data(), pending);
}

DescriptorStreamBuffer::int_type DescriptorStreamBuffer::overflow(int_type character)
{
    if (!flushBuffer())
        return traits_type::eof();
    if (!traits_type::eq_int_type(character, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(character);
        pbump(1);
    }
    return traits_type::not_eof(character);
}

int DescriptorStreamBuffer::sync()
{
    return flushBuffer() ? 0 : -1;
}

std::streamsize DescriptorStreamBuffer::xsputn(const char *data, std::streamsize count)
{
    const std::size_t size = static_cast<std::size_t>(count);
    if (size <= static_cast<std::size_t>(epptr() - pptr())) {
        std::char_traits<char>::copy(pptr(), data, size);
        pbump(static_cast<int>(size));
        return count;
    }
    if (!flushBuffer())
        return 0;
    if (size >= m_buffer.size())
        return writeAll(data, size) ? count : 0;
    std::char_traits<char>::copy(pptr(), data, size);
    pbump(static_cast<int>(size));
    return count;
}

} // namespace Demagora

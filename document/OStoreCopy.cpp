#include "document/OStoreCopy.h"

#include "platform/OSystem.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr OOffset kChunk = OOffset{1} << 22;
std::atomic<OOffset> g_chunk{kChunk};
std::atomic<OOffset> g_failAfter{-1};
std::atomic<int> g_failError{0};

} // namespace

void OStoreCopy::SetChunkForTesting(OOffset bytes) {
    g_chunk = bytes > 0 ? bytes : kChunk;
}

void OStoreCopy::SetFailAfterForTesting(OOffset bytes, int error) {
    g_failAfter = bytes;
    g_failError = error;
}

OStoreCopy::OStoreCopy(int in, OOffset offset, int out, OOffset target, OOffset length)
    : m_in(in), m_out(out), m_offset(offset), m_target(target), m_length(length) {
    m_thread = std::thread([this] { Run(); });
}

OStoreCopy::~OStoreCopy() {
    Stop();
    if (m_thread.joinable()) m_thread.join();
    ::close(m_in);
    ::close(m_out);
}

void OStoreCopy::Publish() {
    m_ticks.fetch_add(1, std::memory_order_release);
    m_ticks.notify_all();
}

// In the kernel where it can; where it cannot between these files (known
// at the first chunk), through a buffer of this thread's own.
void OStoreCopy::Run() {
    const OOffset chunk = g_chunk;
    const OOffset failAfter = g_failAfter;
    loff_t from = m_offset;
    loff_t to = m_target;
    OOffset done = 0;
    bool kernel = true;
    std::vector<OByte> buffer;
    int error = 0;
    while (done < m_length && error == 0) {
        if (m_stop) {
            error = ECANCELED;
            break;
        }
        if (failAfter >= 0 && done >= failAfter) {
            error = g_failError;
            break;
        }
        const auto n = static_cast<std::size_t>(std::min(chunk, m_length - done));
        ssize_t got = 0;
        if (kernel) {
            got = ::copy_file_range(m_in, &from, m_out, &to, n, 0);
            if (done == 0 && KernelCopyRefused(got, errno)) {
                // The buffer does it, from the start.
                kernel = false;
                continue;
            }
        } else {
            buffer.resize(n);
            got = ::pread(m_in, buffer.data(), n, from);
            for (ssize_t put = 0; got > 0 && put < got;) {
                const ssize_t w = ::pwrite(m_out, buffer.data() + put,
                                           static_cast<std::size_t>(got - put), to + put);
                if (w < 0 && errno == EINTR) continue;
                if (w <= 0) {
                    if (w == 0) errno = ENOSPC;
                    got = -1;
                    break;
                }
                put += w;
            }
            if (got > 0) {
                from += got;
                to += got;
            }
        }
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            // The source ending early is a failure too: its bytes were there.
            error = got == 0 ? EIO : errno;
            break;
        }
        done += got;
        m_done.store(done, std::memory_order_release);
        Publish();
    }
    m_error.store(error, std::memory_order_release);
    m_ended.store(true, std::memory_order_release);
    Publish();
}

void OStoreCopy::Wait(OOffset offset, OOffset end) {
    const OOffset stop = m_offset + m_length;
    if (end <= offset || end <= m_offset || offset >= stop) return;
    const OOffset need = std::min(stop, end) - m_offset;
    for (;;) {
        const std::uint64_t ticks = m_ticks.load(std::memory_order_acquire);
        if (m_done.load(std::memory_order_acquire) >= need ||
            m_ended.load(std::memory_order_acquire))
            return;
        m_ticks.wait(ticks, std::memory_order_acquire);
    }
}

int OStoreCopy::Finish() {
    if (m_thread.joinable()) m_thread.join();
    return m_error.load(std::memory_order_acquire);
}

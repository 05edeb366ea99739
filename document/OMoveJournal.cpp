#include "document/OMoveJournal.h"

#include "document/OFile.h"
#include "document/OTransferBuffer.h"
#include "platform/OFileIo.h"
#include "platform/OFormat.h"
#include "platform/OPlatform.h"
#include "platform/OStateDir.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr char kMagic[8] = {'Q', 'V', 'M', 'O', 'V', 'E', 'J', 'L'};
constexpr std::uint32_t kCheckpointMagic = 0x4b435651; // "QVCK"
constexpr OOffset kPage = 4096;
constexpr OOffset kCheckpointSize = 64;
// A slot holds the overlap of one block, which is never larger than this.
constexpr OOffset kSlotSize = static_cast<OOffset>(OTransferBuffer::kMaxBlock);
// A rewrite of many regions moves each stretch between them as a step: the
// most regions a replace run keeps for undo, and one more.
constexpr std::size_t kMaxSteps = (std::size_t{1} << 18) + 1;
constexpr std::size_t kStepBytes = 3 * sizeof(OOffset) + 1;
constexpr std::size_t kMaxPath = 65536;

std::uint64_t Fnv1a(const void* data, std::size_t count,
                    std::uint64_t hash = 14695981039346656037ull) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

// Fixed-width fields in the machine's own byte order: a journal is read
// back by the machine that wrote it.
class OWriter {
public:
    template <class T> void Put(T value) { PutBytes(&value, sizeof value); }
    void PutText(const std::string& text) {
        Put(static_cast<std::uint32_t>(text.size()));
        PutBytes(text.data(), text.size());
    }
    void PutBytes(const void* data, std::size_t count) {
        m_bytes.append(static_cast<const char*>(data), count);
    }
    void PutChecksum() { Put(Fnv1a(m_bytes.data(), m_bytes.size())); }
    const std::string& Bytes() const { return m_bytes; }

private:
    // A string, not a vector: GCC 12 warns falsely on small vector appends.
    std::string m_bytes;
};

class OReader {
public:
    OReader(const OByte* data, std::size_t count) : m_data(data), m_count(count) {}
    template <class T> bool Get(T& value) {
        if (m_count - m_at < sizeof value) return false;
        std::memcpy(&value, m_data + m_at, sizeof value);
        m_at += sizeof value;
        return true;
    }
    bool GetText(std::string& text) {
        std::uint32_t size = 0;
        if (!Get(size) || size > kMaxPath || m_count - m_at < size) return false;
        text.assign(reinterpret_cast<const char*>(m_data + m_at), size);
        m_at += size;
        return true;
    }
    std::size_t Consumed() const { return m_at; }
    // The checksum of everything read so far matches the one that follows.
    bool ChecksumHolds() {
        const std::uint64_t actual = Fnv1a(m_data, m_at);
        std::uint64_t stored = 0;
        return Get(stored) && stored == actual;
    }

private:
    const OByte* m_data;
    std::size_t m_count;
    std::size_t m_at = 0;
};

std::string EncodeCheckpoint(const OMoveJournal::Checkpoint& checkpoint) {
    OWriter out;
    out.Put(kCheckpointMagic);
    out.Put(static_cast<std::uint32_t>(checkpoint.step));
    out.Put(checkpoint.sequence);
    out.Put(checkpoint.moved);
    out.Put(static_cast<std::int32_t>(checkpoint.slot));
    out.Put(checkpoint.stashLength);
    out.PutChecksum();
    return out.Bytes();
}

bool DecodeCheckpoint(const OByte* data, OMoveJournal::Checkpoint& checkpoint) {
    OReader in(data, kCheckpointSize);
    std::uint32_t magic = 0;
    std::uint32_t step = 0;
    std::int32_t slot = 0;
    if (!in.Get(magic) || !in.Get(step) || !in.Get(checkpoint.sequence) ||
        !in.Get(checkpoint.moved) || !in.Get(slot) || !in.Get(checkpoint.stashLength) ||
        !in.ChecksumHolds() || magic != kCheckpointMagic)
        return false;
    checkpoint.step = step;
    checkpoint.slot = slot;
    return true;
}

// Whether a checkpoint fits the plan: a damaged or foreign one that passed
// its checksum must still not send a finish outside the file.
bool Fits(const OMovePlan& plan, const OMoveJournal::Checkpoint& checkpoint) {
    if (checkpoint.step > plan.steps.size()) return false;
    if (checkpoint.step == plan.steps.size()) return checkpoint.moved == 0 && checkpoint.slot == -1;
    const OMoveStep& step = plan.steps[checkpoint.step];
    if (checkpoint.moved < 0 || checkpoint.moved > step.length) return false;
    if (checkpoint.slot == -1) return checkpoint.stashLength == 0;
    return (checkpoint.slot == 0 || checkpoint.slot == 1) && checkpoint.stashLength > 0 &&
           checkpoint.stashLength <= kSlotSize &&
           checkpoint.stashLength <= step.length - checkpoint.moved;
}

bool SyncDirectory(OFileIo& io, const std::string& directory) {
    const int fd = io.Open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool synced = io.FSync(fd) == 0;
    const int error = errno;
    io.Close(fd);
    errno = error;
    return synced;
}

} // namespace

OMoveJournal::OMoveJournal(OFileIo& io, int fd, std::string path)
    : m_io(io), m_fd(fd), m_path(std::move(path)) {}

OMoveJournal::~OMoveJournal() {
    if (m_fd >= 0) m_io.Close(m_fd);
}

std::string OMoveJournal::FileName(const Identity& identity) {
    return Format(
        "%llx-%llx-%016llx.move", static_cast<unsigned long long>(identity.device),
        static_cast<unsigned long long>(identity.inode),
        static_cast<unsigned long long>(Fnv1a(identity.path.data(), identity.path.size())));
}

// 1. Header and first checkpoint under a temporary name, synced.
// 2. The real name by link(2), which never replaces a journal already there.
// 3. The directory synced, so the name is on disk before the file changes.
std::unique_ptr<OMoveJournal> OMoveJournal::Create(OFileIo& io, const std::string& directory,
                                                   const Identity& identity, const OMovePlan& plan,
                                                   Fill fill) {
    const std::string path = directory + FileName(identity);
    const std::string temporary = path + Format(".%d.new", static_cast<int>(::getpid()));
    OWriter header;
    for (char c : kMagic)
        header.Put(c);
    header.Put(kVersion);
    header.Put(identity.device);
    header.Put(identity.inode);
    header.PutText(identity.path);
    header.Put(plan.oldSize);
    header.Put(plan.newSize);
    header.Put(fill.offset);
    header.Put(fill.length);
    header.Put(static_cast<std::uint32_t>(plan.steps.size()));
    for (const OMoveStep& step : plan.steps) {
        header.Put(step.from);
        header.Put(step.to);
        header.Put(step.length);
        header.Put(static_cast<std::uint8_t>(step.backward));
    }
    header.PutChecksum();

    // Loading would refuse it.
    if (plan.steps.size() > kMaxSteps) {
        SetLastError(E2BIG);
        return nullptr;
    }
    const int fd = io.Open(temporary.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        SetLastError(errno);
        return nullptr;
    }
    std::unique_ptr<OMoveJournal> journal(new OMoveJournal(io, fd, temporary));
    journal->m_identity = identity;
    journal->m_plan = plan;
    journal->m_fill = fill;
    const auto headerSize = static_cast<OOffset>(header.Bytes().size());
    journal->m_recordsAt = (headerSize + kPage - 1) / kPage * kPage;
    int error = 0;
    if (!journal->WriteAll(header.Bytes().data(), header.Bytes().size(), 0) ||
        !journal->WriteCheckpoint({}))
        error = LastError();
    else if (io.FSync(fd) != 0 || ::link(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    ::unlink(temporary.c_str());
    if (error == 0 && !SyncDirectory(io, directory)) {
        error = errno;
        ::unlink(path.c_str());
    }
    if (error != 0) {
        SetLastError(error);
        return nullptr;
    }
    journal->m_path = path;
    return journal;
}

OMoveJournal::OLoad OMoveJournal::Load(OFileIo& io, const std::string& directory,
                                       const Identity& identity,
                                       std::unique_ptr<OMoveJournal>& journal) {
    journal.reset();
    const std::string path = directory + FileName(identity);
    const int fd = io.Open(path.c_str(), O_RDWR | O_CLOEXEC, 0);
    if (fd < 0) {
        SetLastError(errno);
        return errno == ENOENT ? OLoad::None : OLoad::Unreadable;
    }
    std::unique_ptr<OMoveJournal> loaded(new OMoveJournal(io, fd, path));
    // A header of a few steps fits a few pages; one of many steps is read
    // again whole once its step count says how long it is.
    std::vector<OByte> bytes(static_cast<std::size_t>(kPage) * 20);
    ssize_t got = io.PRead(fd, bytes.data(), bytes.size(), 0);
    if (got < 0) {
        SetLastError(errno);
        return OLoad::Unreadable;
    }
    char magic[sizeof kMagic] = {};
    std::uint32_t version = 0;
    std::uint32_t steps = 0;
    Identity& stored = loaded->m_identity;
    OMovePlan& plan = loaded->m_plan;
    auto readPrefix = [&](OReader& in) {
        bool ok = true;
        for (char& c : magic)
            ok = ok && in.Get(c);
        return ok && std::memcmp(magic, kMagic, sizeof kMagic) == 0 && in.Get(version) &&
               version == kVersion && in.Get(stored.device) && in.Get(stored.inode) &&
               in.GetText(stored.path) && in.Get(plan.oldSize) && in.Get(plan.newSize) &&
               in.Get(loaded->m_fill.offset) && in.Get(loaded->m_fill.length) && in.Get(steps) &&
               steps <= kMaxSteps;
    };
    OReader first(bytes.data(), static_cast<std::size_t>(got));
    bool ok = readPrefix(first);
    const std::size_t length = first.Consumed() + steps * kStepBytes + sizeof(std::uint64_t);
    if (ok && length > bytes.size()) {
        bytes.resize(length);
        while (static_cast<std::size_t>(got) < length) {
            const ssize_t n =
                io.PRead(fd, bytes.data() + got, length - static_cast<std::size_t>(got), got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                SetLastError(errno);
                return OLoad::Unreadable;
            }
            if (n == 0) break;
            got += n;
        }
    }
    OReader in(bytes.data(), static_cast<std::size_t>(got));
    ok = ok && readPrefix(in);
    plan.steps.reserve(ok ? steps : 0);
    for (std::uint32_t i = 0; ok && i < steps; ++i) {
        OMoveStep step;
        std::uint8_t backward = 0;
        ok = in.Get(step.from) && in.Get(step.to) && in.Get(step.length) && in.Get(backward) &&
             step.from >= 0 && step.to >= 0 && step.length > 0 && step.from != step.to &&
             (backward != 0) == (step.to > step.from);
        step.backward = backward != 0;
        plan.steps.push_back(step);
    }
    // Offsets come from a file: nothing past the plan's sizes is ever written.
    const OOffset top = std::max(plan.oldSize, plan.newSize);
    for (const OMoveStep& step : plan.steps)
        ok = ok && step.length <= top - std::max(step.from, step.to);
    ok = ok && in.ChecksumHolds() && plan.oldSize >= 0 && plan.newSize >= 0 &&
         loaded->m_fill.offset >= 0 && loaded->m_fill.length >= 0 &&
         loaded->m_fill.offset <= plan.newSize &&
         loaded->m_fill.length <= plan.newSize - loaded->m_fill.offset;
    if (!ok || stored.device != identity.device || stored.inode != identity.inode ||
        stored.path != identity.path) {
        journal = std::move(loaded);
        return OLoad::Damaged;
    }
    loaded->m_recordsAt = (static_cast<OOffset>(in.Consumed()) + kPage - 1) / kPage * kPage;
    OByte records[2 * kCheckpointSize] = {};
    const ssize_t read = io.PRead(fd, records, sizeof records, loaded->m_recordsAt);
    if (read < 0) {
        SetLastError(errno);
        return OLoad::Unreadable;
    }
    bool found = false;
    for (int slot = 0; slot < 2; ++slot) {
        Checkpoint checkpoint;
        // Past what was read the buffer holds zeros, which fail the check.
        if (DecodeCheckpoint(records + slot * kCheckpointSize, checkpoint) &&
            Fits(plan, checkpoint) && (!found || checkpoint.sequence > loaded->m_last.sequence)) {
            loaded->m_last = checkpoint;
            found = true;
        }
    }
    journal = std::move(loaded);
    return found ? OLoad::Loaded : OLoad::Damaged;
}

bool OMoveJournal::WriteAll(const void* data, std::size_t count, OOffset offset) {
    const auto* bytes = static_cast<const OByte*>(data);
    while (count > 0) {
        const ssize_t n = m_io.PWrite(m_fd, bytes, count, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            SetLastError(n < 0 ? errno : ENOSPC);
            return false;
        }
        bytes += n;
        count -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

// Each checkpoint goes to the slot its sequence number picks, so the one
// before it stays whole while it is written.
bool OMoveJournal::WriteCheckpoint(Checkpoint checkpoint) {
    checkpoint.sequence = m_last.sequence + 1;
    const std::string bytes = EncodeCheckpoint(checkpoint);
    const OOffset at =
        m_recordsAt + static_cast<OOffset>(checkpoint.sequence % 2) * kCheckpointSize;
    if (!WriteAll(bytes.data(), bytes.size(), at)) return false;
    m_last = checkpoint;
    return true;
}

bool OMoveJournal::Reached(std::size_t step, OOffset moved, std::span<const OByte> block) {
    Checkpoint next;
    next.step = step;
    next.moved = moved;
    const OMoveStep& current = m_plan.steps[step];
    const OOffset distance =
        current.backward ? current.to - current.from : current.from - current.to;
    const auto count = static_cast<OOffset>(block.size());
    if (block.empty() && moved == current.length) {
        // Between steps nothing is written until the next step's first
        // checkpoint, so the last one still holds: a rewrite of many short
        // stretches writes one checkpoint per step, not two. The end of the
        // last step is written: it says the file may already be cut.
        if (step + 1 < m_plan.steps.size()) return true;
        next.step = step + 1;
        next.moved = 0;
    } else if (count > distance) {
        // The write lands on its own source: keep the part it covers.
        next.slot = m_last.slot == 0 ? 1 : 0;
        next.stashLength = count - distance;
        const OByte* stash = current.backward ? block.data() + distance : block.data();
        const OOffset at = m_recordsAt + kPage + next.slot * kSlotSize;
        if (!WriteAll(stash, static_cast<std::size_t>(next.stashLength), at)) {
            MessageBox(FormatId(ids::IDS_FILE_ERROR, m_path.c_str(), SystemErrorText(-1).c_str()),
                       OButtons::Ok, OIcon::Stop);
            return false;
        }
    }
    if (WriteCheckpoint(next)) return true;
    MessageBox(FormatId(ids::IDS_FILE_ERROR, m_path.c_str(), SystemErrorText(-1).c_str()),
               OButtons::Ok, OIcon::Stop);
    return false;
}

bool OMoveJournal::ReadStash(OOffset offset, OByte* buffer, std::size_t count) {
    const OOffset base = m_recordsAt + kPage + m_last.slot * kSlotSize + offset;
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n =
            m_io.PRead(m_fd, buffer + done, count - done, base + static_cast<OOffset>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            SetLastError(n < 0 ? errno : EIO);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool OMoveJournal::Remove() {
    if (::unlink(m_path.c_str()) == 0) return true;
    SetLastError(errno);
    return false;
}

OOffset OMoveJournal::MovedBytes() const {
    OOffset moved = m_last.moved;
    for (std::size_t i = 0; i < m_last.step && i < m_plan.steps.size(); ++i)
        moved += m_plan.steps[i].length;
    return moved;
}

OOffset OMoveJournal::TotalBytes() const {
    OOffset total = 0;
    for (const OMoveStep& step : m_plan.steps)
        total += step.length;
    return total;
}

bool JournalIdentity(const OFile& file, OMoveJournal::Identity& identity) {
    struct stat info {};
    if (file.Path().empty() || ::stat(file.Path().c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.IsSameFile(file.Path()))
        return false;
    identity.device = info.st_dev;
    identity.inode = info.st_ino;
    identity.path = file.Path();
    return true;
}

std::unique_ptr<OMoveJournal> BeginJournal(OFile& file, const OMovePlan& plan,
                                           OMoveJournal::Fill fill, bool& refused) {
    refused = false;
    OMoveJournal::Identity identity;
    if (plan.steps.empty() || !JournalIdentity(file, identity)) return nullptr;
    const std::string directory = StateDirectory();
    std::string where = directory;
    if (!directory.empty()) {
        auto journal = OMoveJournal::Create(OFileIo::System(), directory, identity, plan, fill);
        if (journal) return journal;
        where = directory + OMoveJournal::FileName(identity);
        if (LastError() == EEXIST) {
            refused = true;
            MessageBox(FormatId(ids::IDS_MOVE_PENDING, file.Path().c_str(), where.c_str()),
                       OButtons::Ok, OIcon::Stop);
            return nullptr;
        }
    }
    const std::string reason = SystemErrorText(-1);
    refused = MessageBox(FormatId(ids::IDS_MOVE_NO_JOURNAL, file.Path().c_str(),
                                  where.empty() ? "$XDG_STATE_HOME/quorvalis/" : where.c_str(),
                                  reason.c_str()),
                         OButtons::YesNo, OIcon::Exclamation) != OAnswer::Yes;
    return nullptr;
}

#include "ReadBackCheck.h"

#include "Platform.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

namespace tillora {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds since(const QElapsedTimer& timer) {
    return std::chrono::milliseconds(timer.elapsed());
}

// Reads exactly `size` bytes unless the file ends first; the bytes read, -1 on an error.
qint64 readFully(QFile& file, char* into, qint64 size) {
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(into + done, size - done);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

bool sameFacts(const FileFacts& now, const FileFacts& before) {
    return now.isFile() && now.size == before.size && now.modified == before.modified;
}

} // namespace

ReadBackCheck::ReadBackCheck(Platform& platform, VerifySlices::Position position,
                             std::function<bool()> keepGoing)
    : platform_(platform)
    , position_(std::move(position))
    , keepGoing_(std::move(keepGoing)) {
}

int ReadBackCheck::addFolder(Folder folder) {
    folders_.push_back(std::move(folder));
    return int(folders_.size()) - 1;
}

void ReadBackCheck::addWritten(int folder, const fs::path& sourceName, const fs::path& backupName,
                               qint64 size, const ContentHash& hash) {
    written_.push_back({folder, sourceName, backupName, size, hash, {}, {}});
}

void ReadBackCheck::addUnchanged(int folder, const fs::path& sourceName, const fs::path& backupName,
                                 const FileFacts& sourceFacts) {
    const QString key =
        folders_[std::size_t(folder)].keyPrefix + VerifySlices::keyOf(displayName(backupName));
    if (VerifySlices::due(position_, key))
        slice_.push_back({folder, sourceName, backupName, sourceFacts.size, {}, sourceFacts, key});
}

fs::path ReadBackCheck::backupPath(const Copy& copy) const {
    return folders_[std::size_t(copy.folder)].destinationPath / copy.backupName;
}

fs::path ReadBackCheck::sourcePath(const Copy& copy) const {
    return folders_[std::size_t(copy.folder)].sourcePath / copy.sourceName;
}

ReadBackCheck::Check ReadBackCheck::againstHash(const Copy& copy) {
    ContentHasher hasher;
    const ReadBackEnd end =
        platform_.readBack(backupPath(copy), [&](const char* bytes, qint64 size) {
            hasher.add(bytes, size);
            return keepGoing_();
        });
    if (end.kind == ReadBackEnd::Kind::Failed)
        return {Verdict::Unreadable, end.reason};
    if (end.kind == ReadBackEnd::Kind::Stopped)
        return {Verdict::Stopped, {}};
    return {hasher.result() == *copy.hash ? Verdict::Same : Verdict::Different, {}};
}

ReadBackCheck::Check ReadBackCheck::againstSource(const Copy& copy,
                                                  const std::function<bool()>& keepGoing) {
    const fs::path source = sourcePath(copy);
    if (!sameFacts(fileFacts(source, true), copy.sourceFacts))
        return {Verdict::SourceChanged, {}};
    QFile in;
    const int fd = platform_.openSourceFile(source);
    // A source that cannot be opened now proves nothing about its copy.
    if (fd < 0 ||
        !in.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle))
        return {Verdict::Same, {}};
    std::vector<char> sourceBytes;
    bool differs = false;
    const ReadBackEnd end =
        platform_.readBack(backupPath(copy), [&](const char* bytes, qint64 size) {
            sourceBytes.resize(std::size_t(size));
            differs = readFully(in, sourceBytes.data(), size) != size ||
                      std::memcmp(sourceBytes.data(), bytes, std::size_t(size)) != 0;
            return !differs && keepGoing();
        });
    if (end.kind == ReadBackEnd::Kind::Failed)
        return {Verdict::Unreadable, end.reason};
    if (!differs && end.kind == ReadBackEnd::Kind::Stopped)
        return {Verdict::Stopped, {}};
    char more = 0;
    differs = differs || readFully(in, &more, 1) != 0; // the source goes on
    in.close();
    // A source written to while it was compared is copied, never called damaged.
    if (!sameFacts(fileFacts(source, true), copy.sourceFacts))
        return {Verdict::SourceChanged, {}};
    return {differs ? Verdict::Different : Verdict::Same, {}};
}

bool ReadBackCheck::take(const Copy& copy, const Check& check, Findings& findings) {
    switch (check.verdict) {
    case Verdict::Same:
        ++findings.files;
        findings.bytes += copy.size;
        return true;
    case Verdict::Different:
        findings.damaged.push_back(copy);
        return true;
    case Verdict::SourceChanged:
        findings.sourceChanged.push_back(copy);
        return true;
    case Verdict::Unreadable:
        // A copy that cannot be read from a drive that is there is as bad as a damaged
        // one; a drive that went away ends the reading, and proves nothing about copies.
        if (fileFacts(folders_[std::size_t(copy.folder)].destinationPath, true).kind ==
            FileFacts::Kind::Folder) {
            findings.damaged.push_back(copy);
            return true;
        }
        findings.endedBecause =
            QStringLiteral("the backup drive could not be read (%1)").arg(check.reason);
        return false;
    case Verdict::Stopped:
        return false;
    }
    return false;
}

// Two readers: a small file waits on the drive longer than it takes to read, so a second
// reader nearly halves a night of small files. Not more, or a spinning drive would seek
// between large files. What they found is taken in order, as one reader would.
ReadBackCheck::Findings ReadBackCheck::readBackAgain(const std::vector<Copy>& copies) {
    Findings findings;
    QElapsedTimer timer;
    timer.start();
    std::vector<Check> checks(copies.size(), Check{Verdict::Stopped, {}});
    std::atomic<std::size_t> next{0};
    const auto read = [&] {
        for (std::size_t i = next++; i < copies.size() && keepGoing_(); i = next++)
            checks[i] = againstHash(copies[i]);
    };
    std::thread second(read);
    read();
    second.join();
    for (std::size_t i = 0; i < copies.size(); ++i) {
        if (!take(copies[i], checks[i], findings))
            break;
    }
    findings.writtenTime = since(timer);
    return findings;
}

ReadBackCheck::Findings ReadBackCheck::readBack(std::chrono::milliseconds sliceLimit) {
    Findings findings = readBackAgain(written_);
    if (!findings.endedBecause.isEmpty() || !keepGoing_() || sliceLimit <= sliceLimit.zero())
        return findings;

    QElapsedTimer timer;
    timer.start();
    std::sort(slice_.begin(), slice_.end(),
              [](const Copy& a, const Copy& b) { return a.key.compare(b.key) < 0; });
    // The slice's own limit, on top of the run's.
    const auto deadline = Clock::now() + sliceLimit;
    const std::function<bool()> sliceGoesOn = [&] {
        return Clock::now() < deadline && keepGoing_();
    };
    std::size_t read = 0;
    for (; read < slice_.size() && sliceGoesOn(); ++read) {
        if (!take(slice_[read], againstSource(slice_[read], sliceGoesOn), findings))
            break;
        findings.lastKey = slice_[read].key;
    }
    findings.sliceFinished = read == slice_.size();
    findings.sliceTime = since(timer);
    return findings;
}

} // namespace tillora

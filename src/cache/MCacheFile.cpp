// SPDX-License-Identifier: GPL-3.0-or-later
#include "cache/MCacheFile.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>
#include <utility>

#include "cache/UniqueName.h"
#include "core/DosDateTime.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "core/Text.h"

namespace pixelary {
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kBytesPerKB = 1024;
// No path or file name comes near this; a longer stored text is a damaged index.
constexpr std::int32_t kMaxStoredText = 64 * 1024;
// A new index is written as "Pixelary.cac.new.<process>.<serial>" and renamed over the old
// one: every writer (two running programs, two threads) has a file of its own, so writes never
// mix and the last complete index wins.
constexpr const char* kNewIndexInfix = ".new.";
constexpr std::size_t kThumbnailDigits = 4;
constexpr const char* kThumbnailSuffix = ".TMP";

std::string NewIndexName(const std::string& index) {
    static std::atomic<unsigned> serial{0};
    return index + kNewIndexInfix + std::to_string(::getpid()) + "." + std::to_string(serial++);
}

// A new index left behind by a program that ended before renaming it.
bool IsAbandonedNewIndex(const std::string& name) {
    const std::string prefix = std::string(MCacheFileManager::kIndexFileName) + kNewIndexInfix;
    if (name.compare(0, prefix.size(), prefix) != 0) return false;
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// Names the unique-name service gives thumbnails: "PX", four hexadecimal digits, ".TMP". Only
// these are swept, so a cache that fell back to the shared temporary directory never deletes
// other programs' temporary files.
bool IsThumbnailName(const std::string& name) {
    const std::size_t prefix = std::strlen(MCacheFileManager::kImageFilePrefix);
    const std::size_t suffix = std::strlen(kThumbnailSuffix);
    if (name.size() != prefix + kThumbnailDigits + suffix) return false;
    if (name.compare(0, prefix, MCacheFileManager::kImageFilePrefix) != 0) return false;
    for (std::size_t i = prefix; i < prefix + kThumbnailDigits; ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
    }
    return text::EqualsIgnoringAsciiCase(std::string_view(name).substr(prefix + kThumbnailDigits),
                                         kThumbnailSuffix);
}

// A stamp that is no real date sorts before every real one, so it is evicted first.
double StampValue(std::int32_t stamp) {
    return dosdate::ToDateTime(stamp).value_or(std::numeric_limits<double>::lowest());
}

// Reads a stored text: a 32-bit length L counting the closing NUL, then L bytes. A length that
// cannot be a text of this file raises the read error, as a file cut short does.
std::string ReadText(Stream& in) {
    const std::int32_t length = in.ReadI32LE();
    if (length < 1 || length > kMaxStoredText || length > in.Remaining()) throw EReadError();
    std::string value(static_cast<std::size_t>(length), '\0');
    in.ReadBuffer(value.data(), value.size());
    value.pop_back();  // the NUL
    return value;
}

void WriteText(Stream& out, const std::string& value) {
    out.WriteI32LE(static_cast<std::int32_t>(value.size() + 1));
    out.WriteBuffer(value.c_str(), value.size() + 1);
}

// Writes bytes to path and flushes them to the disk; false on any failure.
bool WriteDurably(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const bool ok = done == bytes.size() && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

}  // namespace

// ---- MCacheFile ----

void MCacheFile::Refresh(const std::string& directory) {
    Present = 0;
    SizeKB = 0;
    if (!IsPlainFileName(ImageFile)) return;
    std::error_code ec;
    const fs::path file = directory + ImageFile;
    if (!fs::is_regular_file(file, ec)) return;
    const auto bytes = fs::file_size(file, ec);
    if (ec) return;
    const auto kb = (static_cast<std::int64_t>(bytes) + kBytesPerKB - 1) / kBytesPerKB;
    SizeKB = static_cast<std::int32_t>(
        std::min<std::int64_t>(kb, std::numeric_limits<std::int32_t>::max()));
    Present = 1;
}

// ---- MCacheFileManager: settings ----

MCacheFileManager::~MCacheFileManager() {
    ClearAll();
}

std::unique_lock<std::recursive_mutex> MCacheFileManager::Lock() const {
    return std::unique_lock<std::recursive_mutex>(mutex_);
}

void MCacheFileManager::SetDirectory(const std::string& path) {
    std::error_code ec;
    const bool usable = !path.empty() && path.back() != '/' && fs::is_directory(path, ec);
    const std::string chosen = usable ? path : TempDirectory();
    std::lock_guard guard(mutex_);
    directory_ = chosen.back() == '/' ? chosen : chosen + "/";
}

void MCacheFileManager::NoteWriteFailure(const std::string& message) {
    std::lock_guard guard(mutex_);
    if (!write_failure_) write_failure_ = message;
}

std::optional<std::string> MCacheFileManager::TakeWriteFailure() {
    std::lock_guard guard(mutex_);
    return std::exchange(write_failure_, std::nullopt);
}

std::uint64_t MCacheFileManager::Revision() const {
    std::lock_guard guard(mutex_);
    return revision_;
}

std::string MCacheFileManager::Directory() const {
    std::lock_guard guard(mutex_);
    return directory_;
}

void MCacheFileManager::SetLimit(std::int32_t kb) {
    std::lock_guard guard(mutex_);
    limit_kb_ = kb > 0 ? kb : 1;
}

std::int32_t MCacheFileManager::LimitKB() const {
    std::lock_guard guard(mutex_);
    return limit_kb_;
}

std::int64_t MCacheFileManager::UsedKB() const {
    std::lock_guard guard(mutex_);
    return used_kb_;
}

void MCacheFileManager::SetSorted(bool sorted) {
    std::lock_guard guard(mutex_);
    if (sorted == sorted_) return;
    sorted_ = sorted;
    if (!sorted_) return;
    Sort([](const MItem* a, const MItem* b) {
        return text::LocaleCompare(static_cast<const MCacheFile*>(a)->SourcePath,
                                   static_cast<const MCacheFile*>(b)->SourcePath);
    });
    RebuildPositions();
}

bool MCacheFileManager::Sorted() const {
    std::lock_guard guard(mutex_);
    return sorted_;
}

// ---- MCacheFileManager: positions and searches ----

int MCacheFileManager::Count() const {
    std::lock_guard guard(mutex_);
    return static_cast<int>(positions_.size());
}

MCacheFile* MCacheFileManager::Item(int i) const {
    std::lock_guard guard(mutex_);
    if (i < 0 || i >= static_cast<int>(positions_.size())) return nullptr;
    return positions_[static_cast<std::size_t>(i)];
}

int MCacheFileManager::IndexOf(const std::string& path, int start) const {
    std::lock_guard guard(mutex_);
    start = std::max(start, 0);
    if (!sorted_) return LinearIndexOf(path, start);
    return FirstMatchFrom(HalvingIndexOf(path, start), start);
}

int MCacheFileManager::LinearIndexOf(const std::string& path, int start) const {
    for (int i = start; i < static_cast<int>(positions_.size()); ++i) {
        if (positions_[static_cast<std::size_t>(i)]->SourcePath == path) return i;
    }
    return -1;
}

// Halving lands on any of several equal records; every caller wants the first of them.
int MCacheFileManager::FirstMatchFrom(int found, int start) const {
    if (found < 0) return found;
    const std::string& path = positions_[static_cast<std::size_t>(found)]->SourcePath;
    while (found > start && positions_[static_cast<std::size_t>(found - 1)]->SourcePath == path) {
        --found;
    }
    return found;
}

int MCacheFileManager::HalvingIndexOf(const std::string& path, int start) const {
    int lo = start;
    int hi = static_cast<int>(positions_.size());
    while (lo < hi) {
        if (hi - lo == 1)
            return positions_[static_cast<std::size_t>(lo)]->SourcePath == path ? lo : -1;
        const int m = lo + (hi - lo) / 2;
        const int c =
            text::LocaleCompare(path, positions_[static_cast<std::size_t>(m)]->SourcePath);
        if (c == 0) return m;
        if (c < 0) {
            hi = m;
        } else {
            lo = m;
        }
    }
    return -1;
}

int MCacheFileManager::IndexOfImageFile(const std::string& name) const {
    std::lock_guard guard(mutex_);
    for (std::size_t i = 0; i < positions_.size(); ++i) {
        if (positions_[i]->ImageFile == name) return static_cast<int>(i);
    }
    return -1;
}

// ---- MCacheFileManager: changes ----

int MCacheFileManager::InsertPosition(const std::string& path) const {
    int lo = 0;
    int hi = static_cast<int>(positions_.size());
    int pos = 0;
    while (lo != hi) {
        if (hi - lo == 1) {
            const auto& other = positions_[static_cast<std::size_t>(lo)]->SourcePath;
            return text::LocaleCompare(path, other) > 0 ? lo + 1 : lo;
        }
        const int m = lo + (hi - lo) / 2;
        const int c =
            text::LocaleCompare(path, positions_[static_cast<std::size_t>(m)]->SourcePath);
        if (c == 0) return m;  // before the equal record
        if (c < 0) {
            hi = m;
            pos = m;
        } else {
            lo = m;
            pos = m + 1;
        }
    }
    return pos;
}

void MCacheFileManager::InsertAt(int pos, std::unique_ptr<MCacheFile> record) {
    MCacheFile* node = record.release();
    Insert(pos, node);  // appends when pos is the end
    positions_.insert(positions_.begin() + pos, node);
    ++revision_;
}

void MCacheFileManager::Add(std::unique_ptr<MCacheFile> record) {
    if (!record) return;
    std::lock_guard guard(mutex_);
    record->Refresh(directory_);
    if (record->Present == 0) return;
    const std::int32_t kb = record->SizeKB;
    const int pos =
        sorted_ ? InsertPosition(record->SourcePath) : static_cast<int>(positions_.size());
    InsertAt(pos, std::move(record));
    used_kb_ += kb;
    EvictLocked();
}

void MCacheFileManager::DeleteAt(int i) {
    MCacheFile* node = positions_[static_cast<std::size_t>(i)];
    used_kb_ -= node->SizeKB;
    positions_.erase(positions_.begin() + i);
    Unlink(node);
    delete node;
    ++revision_;
}

void MCacheFileManager::Delete(int i) {
    std::lock_guard guard(mutex_);
    if (i < 0 || i >= static_cast<int>(positions_.size())) return;
    DeleteAt(i);
}

void MCacheFileManager::ClearAll() {
    MItemList::Clear();
    positions_.clear();
    used_kb_ = 0;
    ++revision_;
}

void MCacheFileManager::Clear() {
    std::lock_guard guard(mutex_);
    ClearAll();
}

void MCacheFileManager::RebuildPositions() {
    positions_.clear();
    for (MItem* node = Head; node != nullptr; node = node->Next) {
        positions_.push_back(static_cast<MCacheFile*>(node));
    }
}

// Among equal stamps the earliest in list order is the oldest.
int MCacheFileManager::OldestRecord() const {
    int oldest = 0;
    double oldest_value = StampValue(positions_.front()->LastUsed);
    for (std::size_t i = 1; i < positions_.size(); ++i) {
        const double value = StampValue(positions_[i]->LastUsed);
        if (value < oldest_value) {
            oldest = static_cast<int>(i);
            oldest_value = value;
        }
    }
    return oldest;
}

void MCacheFileManager::EvictLocked() {
    while (used_kb_ >= limit_kb_ && !positions_.empty()) {
        const int i = OldestRecord();
        std::error_code ec;
        fs::remove(directory_ + positions_[static_cast<std::size_t>(i)]->ImageFile, ec);
        DeleteAt(i);
        if (used_kb_ <= 0) {
            used_kb_ = 0;
            break;
        }
    }
}

void MCacheFileManager::Evict() {
    std::lock_guard guard(mutex_);
    EvictLocked();
}

// ---- MCacheFileManager: index file ----

void MCacheFileManager::ReadRecords(Stream& in) {
    const std::int32_t count = in.ReadI32LE();
    for (std::int32_t k = 0; k < count; ++k) {
        auto record = std::make_unique<MCacheFile>();
        record->SourcePath = ReadText(in);
        record->SourceSize = in.ReadI32LE();
        record->SourceDate = in.ReadI32LE();
        record->ImageFile = ReadText(in);
        record->LastUsed = in.ReadI32LE();
        Add(std::move(record));
    }
}

void MCacheFileManager::Load() {
    std::lock_guard guard(mutex_);
    if (directory_.empty()) return;
    const std::string path = directory_ + kIndexFileName;
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        // A crash before the first index was written leaves thumbnails no index names.
        Sweep();
        return;
    }
    ClearAll();
    {
        FileStream in(path, FileMode::OpenRead);
        char signature[kSignatureSize] = {};
        const bool signed_ok = in.Read(signature, kSignatureSize) == kSignatureSize &&
                               std::memcmp(signature, kSignature, kSignatureSize) == 0;
        if (signed_ok && in.Remaining() >= 4) ReadRecords(in);
    }
    Sweep();
}

std::vector<std::uint8_t> MCacheFileManager::IndexBytes() const {
    MemoryStream out;
    out.WriteBuffer(kSignature, kSignatureSize);
    out.WriteI32LE(static_cast<std::int32_t>(positions_.size()));
    for (const MCacheFile* record : positions_) {
        WriteText(out, record->SourcePath);
        out.WriteI32LE(record->SourceSize);
        out.WriteI32LE(record->SourceDate);
        WriteText(out, record->ImageFile);
        out.WriteI32LE(record->LastUsed);
    }
    return out.Bytes();
}

void MCacheFileManager::Save() const {
    std::lock_guard guard(mutex_);
    if (directory_.empty()) return;
    const std::string path = directory_ + kIndexFileName;
    const std::string fresh = NewIndexName(path);
    if (!WriteDurably(fresh, IndexBytes()) || ::rename(fresh.c_str(), path.c_str()) != 0) {
        ::unlink(fresh.c_str());
        throw EFCreateError("Cannot create file \"" + path + "\"");
    }
}

void MCacheFileManager::Sweep() {
    std::lock_guard guard(mutex_);
    if (directory_.empty()) return;
    std::error_code ec;
    std::vector<fs::path> orphans;
    for (fs::directory_iterator it(directory_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code kind_ec;
        if (it->is_directory(kind_ec)) continue;
        const bool orphan =
            IsThumbnailName(name) ? IndexOfImageFile(name) < 0 : IsAbandonedNewIndex(name);
        if (orphan) orphans.push_back(it->path());
    }
    for (const auto& orphan : orphans) fs::remove(orphan, ec);
}

}  // namespace pixelary

// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileops/FileTransfer.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QString>
#include <array>
#include <cstdio>
#include <random>

namespace pixelary::fileops {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kChunkBytes = 1 << 20;

// The messages, %1 the path and %2 the system's reason, marked for translation.
constexpr const char* kNotFound = QT_TRANSLATE_NOOP("FileTransfer", "找不到「%1」：%2");
constexpr const char* kCannotRead = QT_TRANSLATE_NOOP("FileTransfer", "無法讀取「%1」：%2");
constexpr const char* kCannotWrite = QT_TRANSLATE_NOOP("FileTransfer", "無法寫入「%1」：%2");
constexpr const char* kCannotCopy = QT_TRANSLATE_NOOP("FileTransfer", "無法複製「%1」：%2");
constexpr const char* kCannotCreateFolder =
    QT_TRANSLATE_NOOP("FileTransfer", "無法建立資料夾「%1」：%2");
constexpr const char* kCannotMove = QT_TRANSLATE_NOOP("FileTransfer", "無法移動「%1」：%2");
constexpr const char* kCannotDelete = QT_TRANSLATE_NOOP("FileTransfer", "無法刪除「%1」：%2");
constexpr const char* kFolderIntoItself =
    QT_TRANSLATE_NOOP("FileTransfer", "無法將資料夾「%1」放進它自己之中");
constexpr const char* kTargetOfOtherKind =
    QT_TRANSLATE_NOOP("FileTransfer", "「%1」已存在，且類型不同");
constexpr const char* kNotAFolder = QT_TRANSLATE_NOOP("FileTransfer", "「%1」不是資料夾");

std::error_code DefaultRename(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::rename(from, to, error);
    return error;
}

std::uint64_t TreeBytes(const fs::path& path) {
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(path, error))) {
        const auto size = fs::file_size(path, error);
        return error ? 0 : size;
    }
    std::uint64_t total = 0;
    for (fs::recursive_directory_iterator it(path, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file(error)) total += it->file_size(error);
    }
    return total;
}

bool IsInside(const fs::path& inner, const fs::path& outer) {
    const fs::path a = fs::weakly_canonical(inner);
    const fs::path b = fs::weakly_canonical(outer);
    auto ia = a.begin();
    for (auto ib = b.begin(); ib != b.end(); ++ib, ++ia) {
        if (ia == a.end() || *ia != *ib) return false;
    }
    return true;
}

// Messages are written in the interface's language: an installed translator replaces the
// program's own texts. `format` holds %1 for the path and, when given, %2 for the detail.
std::string Message(const char* format, const fs::path& path, const std::string& detail = {}) {
    const QString text = QCoreApplication::translate("FileTransfer", format);
    const QString where = QString::fromStdString(path.string());
    if (detail.empty()) return text.arg(where).toStdString();
    return text.arg(where, QString::fromStdString(detail)).toStdString();
}

std::string Describe(const char* format, const fs::path& path, const std::error_code& e) {
    return Message(format, path, e.message());
}

// A name beside target that no other file uses, for the copy being written.
fs::path PartialNameFor(const fs::path& target) {
    static thread_local std::mt19937 random{std::random_device{}()};
    for (;;) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x.part", static_cast<unsigned>(random()));
        fs::path candidate = target;
        candidate += suffix;
        std::error_code error;
        if (!fs::exists(fs::symlink_status(candidate, error))) return candidate;
    }
}

}  // namespace

// What Run has decided to do before it changes anything.
struct FileTransfer::Plan {
    struct Item {
        fs::path source;
        fs::path target;
        bool replace = false;
    };
    std::vector<Item> items;
    bool overwrite_all = false;
    bool skip_all = false;
};

FileTransfer::FileTransfer(TransferKind kind, std::vector<std::string> sources,
                           std::string destination)
    : kind_(kind),
      sources_(std::move(sources)),
      destination_(std::move(destination)),
      rename_(&DefaultRename) {}

fs::path FreeNameIn(const fs::path& folder, const fs::path& source) {
    const fs::path name = source.filename();
    fs::path candidate = folder / name;
    std::error_code error;
    const bool is_dir = fs::is_directory(source, error);
    const std::string stem = is_dir ? name.string() : name.stem().string();
    const std::string ext = is_dir ? std::string() : name.extension().string();
    for (int n = 2; fs::exists(fs::symlink_status(candidate, error)); ++n) {
        candidate = folder / (stem + " (" + std::to_string(n) + ")" + ext);
    }
    return candidate;
}

TransferRefusal CheckTransfer(TransferKind kind, const std::vector<std::string>& sources,
                              const std::string& destination) {
    bool allThere = !sources.empty();
    for (const std::string& source : sources) {
        const fs::path path(source);
        std::error_code error;
        if (fs::is_directory(fs::symlink_status(path, error)) && IsInside(destination, path)) {
            return TransferRefusal::IntoItself;
        }
        allThere = allThere && fs::equivalent(path.parent_path(), destination, error);
    }
    return kind == TransferKind::Move && allThere ? TransferRefusal::AlreadyThere
                                                  : TransferRefusal::None;
}

bool FileTransfer::PlanItem(const fs::path& source, Plan& plan, TransferResult& result) {
    std::error_code error;
    const auto status = fs::symlink_status(source, error);
    if (error || !fs::exists(status)) {
        result.error =
            Describe(kNotFound, source,
                     error ? error : std::make_error_code(std::errc::no_such_file_or_directory));
        return false;
    }
    Plan::Item item{source, destination_ / source.filename()};
    if (fs::equivalent(source.parent_path(), destination_, error)) {
        if (kind_ == TransferKind::Move) return true;  // already there
        item.target = FreeNameIn(destination_, source);
    }
    if (fs::is_directory(status) && IsInside(destination_, source)) {
        result.error = Message(kFolderIntoItself, source);
        return false;
    }
    const auto target_status = fs::symlink_status(item.target, error);
    if (fs::exists(target_status)) {
        if (fs::is_directory(target_status) != fs::is_directory(status)) {
            result.error = Message(kTargetOfOtherKind, item.target);
            return false;
        }
        OverwriteAnswer answer = OverwriteAnswer::Yes;
        if (plan.overwrite_all)
            answer = OverwriteAnswer::Yes;
        else if (plan.skip_all)
            answer = OverwriteAnswer::No;
        else if (callbacks_->askOverwrite)
            answer = callbacks_->askOverwrite(item.target.string());
        plan.overwrite_all |= answer == OverwriteAnswer::YesToAll;
        plan.skip_all |= answer == OverwriteAnswer::NoToAll;
        if (answer == OverwriteAnswer::Cancel) {
            result.cancelled = true;
            return false;
        }
        if (answer == OverwriteAnswer::No || answer == OverwriteAnswer::NoToAll) return true;
        item.replace = true;
    }
    bytes_total_ += TreeBytes(source);
    plan.items.push_back(std::move(item));
    return true;
}

bool FileTransfer::ReportProgress(const std::string& current) {
    if (!callbacks_->progress) return true;
    return callbacks_->progress(bytes_done_, bytes_total_, current);
}

bool FileTransfer::CopyOneFile(const fs::path& from, const fs::path& to, TransferResult& result) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        result.error = Describe(kCannotRead, from, {errno, std::generic_category()});
        return false;
    }
    const fs::path partial = PartialNameFor(to);
    const int out = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
        result.error = Describe(kCannotWrite, to, {errno, std::generic_category()});
        ::close(in);
        return false;
    }
    std::vector<char> chunk(kChunkBytes);
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, chunk.data(), chunk.size());
        if (n < 0) {
            result.error = Describe(kCannotRead, from, {errno, std::generic_category()});
            ok = false;
            break;
        }
        if (n == 0) break;
        for (ssize_t written = 0; written < n;) {
            const ssize_t w =
                ::write(out, chunk.data() + written, static_cast<size_t>(n - written));
            if (w < 0) {
                result.error = Describe(kCannotWrite, to, {errno, std::generic_category()});
                ok = false;
                break;
            }
            written += w;
        }
        if (!ok) break;
        bytes_done_ += static_cast<std::uint64_t>(n);
        if (!ReportProgress(from.filename().string())) {
            result.cancelled = true;
            ok = false;
            break;
        }
    }
    if (ok && ::fsync(out) != 0) {
        result.error = Describe(kCannotWrite, to, {errno, std::generic_category()});
        ok = false;
    }
    ::close(in);
    if (::close(out) != 0 && ok) {
        result.error = Describe(kCannotWrite, to, {errno, std::generic_category()});
        ok = false;
    }
    std::error_code error;
    if (ok) {
        fs::permissions(partial, fs::status(from, error).permissions(), error);
        fs::last_write_time(partial, fs::last_write_time(from, error), error);
        fs::rename(partial, to, error);  // replaces an existing target only now
        if (error) {
            result.error = Describe(kCannotWrite, to, error);
            ok = false;
        }
    }
    if (!ok) fs::remove(partial, error);
    return ok;
}

bool FileTransfer::CopyTree(const fs::path& from, const fs::path& to, TransferResult& result) {
    std::error_code error;
    const auto status = fs::symlink_status(from, error);
    if (fs::is_symlink(status)) {
        fs::remove(to, error);
        fs::copy_symlink(from, to, error);
        if (error) result.error = Describe(kCannotCopy, from, error);
        return !error;
    }
    if (!fs::is_directory(status)) return CopyOneFile(from, to, result);
    fs::create_directory(to, from, error);
    if (error) {
        result.error = Describe(kCannotCreateFolder, to, error);
        return false;
    }
    for (fs::directory_iterator it(from, error), end; it != end; it.increment(error)) {
        if (error) break;
        if (!CopyTree(it->path(), to / it->path().filename(), result)) return false;
    }
    if (error) {
        result.error = Describe(kCannotRead, from, error);
        return false;
    }
    return true;
}

TransferResult FileTransfer::Run(const TransferCallbacks& callbacks) {
    TransferResult result;
    callbacks_ = &callbacks;
    bytes_done_ = bytes_total_ = 0;
    std::error_code error;
    if (!fs::is_directory(destination_, error)) {
        result.error = Message(kNotAFolder, destination_);
        return result;
    }
    Plan plan;
    for (const std::string& source : sources_) {
        if (!PlanItem(fs::path(source), plan, result)) return result;
    }
    std::vector<fs::path> delete_after;
    for (const Plan::Item& item : plan.items) {
        if (kind_ == TransferKind::Move && !fs::is_directory(item.target, error)) {
            const std::error_code moved = rename_(item.source, item.target);
            if (!moved) {
                bytes_done_ += TreeBytes(item.target);
                result.written.push_back(item.target.string());
                if (!ReportProgress(item.source.filename().string())) {
                    result.cancelled = true;
                    return result;
                }
                continue;
            }
            if (moved != std::errc::cross_device_link) {
                result.error = Describe(kCannotMove, item.source, moved);
                return result;
            }
        }
        if (!CopyTree(item.source, item.target, result)) return result;
        result.written.push_back(item.target.string());
        if (kind_ == TransferKind::Move) delete_after.push_back(item.source);
    }
    // Every copy is complete: only now may the moved sources go.
    for (const fs::path& source : delete_after) {
        fs::remove_all(source, error);
        if (error && result.error.empty()) result.error = Describe(kCannotDelete, source, error);
    }
    return result;
}

}  // namespace pixelary::fileops

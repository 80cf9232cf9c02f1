// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

namespace pixelary::fileops {

enum class TransferKind { Copy, Move };

// The user's answer when a target already exists.
enum class OverwriteAnswer { Yes, YesToAll, No, NoToAll, Cancel };

// How a transfer talks to its user; every member may be left empty.
struct TransferCallbacks {
    // Bytes done of the total and the entry being transferred; false cancels.
    std::function<bool(std::uint64_t done, std::uint64_t total, const std::string& current)>
        progress;
    // Asked once for each source whose target exists; empty answers Yes.
    std::function<OverwriteAnswer(const std::string& target)> askOverwrite;
};

struct TransferResult {
    bool cancelled = false;
    std::string error;                 // the first failure, for the user; empty when none
    std::vector<std::string> written;  // top-level targets that were completed
    bool Succeeded() const { return !cancelled && error.empty(); }
};

// Copies or moves files and folders into a destination folder. Nothing is lost: an existing
// target is replaced only after its replacement is complete, a failed or cancelled file copy
// leaves no half-written file, and a move between file systems copies every source first and
// deletes the sources only after all copies are complete.
class FileTransfer {
  public:
    // Renames a path; returns the error (std::errc::cross_device_link between file systems).
    using RenameFunction =
        std::function<std::error_code(const std::filesystem::path&, const std::filesystem::path&)>;

    FileTransfer(TransferKind kind, std::vector<std::string> sources, std::string destination);

    // Replaces the rename used by moves, so tests can act as if the destination were on another
    // file system.
    void SetRenameFunction(RenameFunction rename) { rename_ = std::move(rename); }

    TransferResult Run(const TransferCallbacks& callbacks);

  private:
    struct Plan;
    bool PlanItem(const std::filesystem::path& source, Plan& plan, TransferResult& result);
    bool CopyTree(const std::filesystem::path& from, const std::filesystem::path& to,
                  TransferResult& result);
    bool CopyOneFile(const std::filesystem::path& from, const std::filesystem::path& to,
                     TransferResult& result);
    bool ReportProgress(const std::string& current);

    TransferKind kind_;
    std::vector<std::string> sources_;
    std::filesystem::path destination_;
    RenameFunction rename_;
    const TransferCallbacks* callbacks_ = nullptr;
    std::uint64_t bytes_done_ = 0;
    std::uint64_t bytes_total_ = 0;
};

// Why a transfer would be refused before it asks or changes anything.
enum class TransferRefusal {
    None,         // it has something to do
    IntoItself,   // a source folder is the destination or one of the folders inside it
    AlreadyThere  // a move whose every source is already in the destination
};
TransferRefusal CheckTransfer(TransferKind kind, const std::vector<std::string>& sources,
                              const std::string& destination);

// A free name for a copy of source inside folder: the name itself when free, else
// "name (2).ext", "name (3).ext" ...
std::filesystem::path FreeNameIn(const std::filesystem::path& folder,
                                 const std::filesystem::path& source);

}  // namespace pixelary::fileops

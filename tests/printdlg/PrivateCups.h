// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>

namespace pixelary::testing {

// A CUPS daemon of the test's own, started by scripts/private-cups.sh in a temporary folder: one
// queue "pixelary-pdf" whose backend writes every finished job's PDF to OutputFile(). Points
// this process's CUPS clients at it (CUPS_SERVER), so create it before anything asks CUPS for
// printers. Stopped and removed on destruction.
class PrivateCups {
  public:
    static constexpr const char* kQueue = "pixelary-pdf";

    PrivateCups();
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    // False, with the reason, when the daemon could not be started here.
    bool Running() const { return running_; }
    const QString& Failure() const { return failure_; }
    QString OutputFile() const;
    // The job's state as CUPS reports it (an ipp_jstate_t value); 0 when CUPS does not know it.
    static int JobState(int jobId);
    // Waits until the job is completed, cancelled or aborted; its final state.
    static int WaitForJob(int jobId, int timeoutMs);

  private:
    bool Start();

    QString root_;
    bool running_ = false;
    QString failure_;
};

}  // namespace pixelary::testing

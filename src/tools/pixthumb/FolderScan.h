// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// pixthumb --folder DIR [--cache DIR] [--limit KB] [--reload]: runs the thumbnail scanner with
// the thumbnail cache over a folder without a window, printing the progress and at the end the
// entries, thumbnails made, cache hits and elapsed time. Returns the exit status.
int RunFolderScan(int argc, char** argv);

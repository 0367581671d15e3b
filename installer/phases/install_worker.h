// InstallWorker: the worker thread's entry. It runs the phases in order, keeps the progress
// bar and status line, holds the last cancel check point and ends every run by closing the
// progress dialog.
#pragma once

namespace qinstall {

void InstallWorker();

}  // namespace qinstall

#include "cli/join_repair.h"

#include <cstdio>
#include <new>

#include "cli/recovery_report.h"
#include "recovery/recovery_reader.h"

namespace parcelo {
namespace {

constexpr char kNothingWritten[] = "\nNothing was written.";

bool Fail(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  return false;
}

std::string MiB(std::uint64_t bytes) {
  return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MiB";
}

}  // namespace

bool RepairBeforeJoin(const FolderView& folder, const std::vector<std::string>& pieces,
                      bool writeBack, FolderRecoverySink* sink) {
  const std::vector<RecoverySetState> sets = SetsCovering(folder, pieces);
  const RecoverySetState* broken = nullptr;
  const RecoverySetState* usable = nullptr;
  for (const RecoverySetState& set : sets) {
    if (set.Intact()) return true;  // one set finds every piece it covers whole
    if (!set.described) continue;
    if (broken == nullptr || set.Spare() > broken->Spare()) broken = &set;
    if (set.CanRepair() && usable == nullptr) usable = &set;
  }
  if (broken == nullptr) return true;
  if (usable == nullptr) return Fail(DescribeRecovery(*broken) + kNothingWritten);
  FolderRecoverySource source(folder);
  std::vector<std::string> rebuilt;
  std::string problem;
  bool repaired = false;
  try {
    repaired = RepairRecoverySet(source, *usable, *sink, &rebuilt, &problem);
  } catch (const std::bad_alloc&) {
    problem = "Not enough memory: the repair holds " + MiB(RepairMemory(*usable)) + ".";
  }
  if (!repaired) {
    if (!sink->reason().empty()) problem += "\nReason: " + sink->reason();
    // A piece written back stays: it is whole, and better than the one it replaced.
    sink->RemoveMade();
    return Fail("The pieces could not be repaired from the recovery files: " + problem +
                kNothingWritten);
  }
  std::string names;
  for (const std::string& name : rebuilt) names += (names.empty() ? "" : ", ") + name;
  std::fprintf(stderr, writeBack ? "Repaired from the recovery files and written back: %s.\n"
                                 : "Repaired from the recovery files, in the rebuilt file only "
                                   "(--repair writes them back): %s.\n",
               names.c_str());
  return true;
}

}  // namespace parcelo

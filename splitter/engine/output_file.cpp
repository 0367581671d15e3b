#include "engine/output_file.h"

#include "engine/split_job.h"

namespace parcelo {

FileHandle CreateOutputFile(const std::string& path) {
  if (Sys().IsSameFile(path, splitJob.sourcePath)) return kInvalidFile;
  return Sys().CreateForWriting(path, nullptr);
}

}  // namespace parcelo

// COMMAND.COM cuts every batch line at 127 bytes. Over piece counts and name lengths, with
// and without 8.3 names and "Use DOS 8.3": no line of a join file is longer, and the file,
// cut as COMMAND.COM cuts it, still rebuilds the source when its steps are carried out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <numeric>

#include "cli/join_script.h"
#include "engine/join_batch.h"
#include "engine/piece_name.h"
#include "split_fixture.h"

namespace parcelo {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return lines;
    start = end + 2;
  }
}

std::string CutLikeCommandCom(const std::string& text) {
  std::string cut;
  for (const std::string& line : Lines(text)) {
    if (!cut.empty()) cut += "\r\n";
    cut += line.substr(0, kLongestBatchLine);
  }
  return cut;
}

std::string Key(std::string name) {
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

// A file as the pieces it holds, in order: [first, end) runs.
using Content = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

void Append(Content* to, const Content& from) {
  for (const auto& run : from) {
    if (!to->empty() && to->back().second == run.first) {
      to->back().second = run.second;
    } else {
      to->push_back(run);
    }
  }
}

// Carries out the steps on a folder of pieces, without case as DOS does. The problem, or
// empty with *folder as the steps leave it.
std::string Carry(const std::vector<JoinStep>& steps,
                  std::map<std::string, std::pair<std::string, Content>>* folder) {
  for (const JoinStep& step : steps) {
    switch (step.kind) {
      case JoinStep::Echo:
        break;
      case JoinStep::Copy: {
        Content made;
        for (const std::string& source : step.sources) {
          const auto found = folder->find(Key(source));
          if (found == folder->end()) return "missing " + source;
          Append(&made, found->second.second);
        }
        (*folder)[Key(step.name)] = {step.name, made};
        break;
      }
      case JoinStep::Delete:
        if (step.wildcard) {
          for (auto it = folder->begin(); it != folder->end();) {
            it = MatchesIntermediate(it->second.first, step.name) ? folder->erase(it) : std::next(it);
          }
        } else if (folder->erase(Key(step.name)) == 0) {
          return "no file to delete: " + step.name;
        }
        break;
      case JoinStep::Rename: {
        const auto found = folder->find(Key(step.name));
        if (found == folder->end()) return "no file to rename: " + step.name;
        auto entry = found->second;
        folder->erase(found);
        if (folder->count(Key(step.newName)) != 0) return "rename onto " + step.newName;
        entry.first = step.newName;
        (*folder)[Key(step.newName)] = entry;
        break;
      }
    }
  }
  return {};
}

// "Holiday Video Holiday Video ..." of length characters, with ".avi" where there is room.
std::string LongNameOf(std::size_t length) {
  std::string name;
  while (name.size() < length) name += "Holiday Video ";
  name.resize(length);
  if (length >= 6) name.replace(length - 4, 4, ".avi");
  if (name.back() == ' ') name.back() = 'x';
  return name;
}

using JoinLineLimit = SplitFixture;

TEST_F(JoinLineLimit, NoLineOver127AndTheCutFileStillRebuildsTheSource) {
  std::vector<std::pair<std::uint32_t, std::size_t>> cases;  // pieces, name length
  for (std::uint32_t pieces = 1; pieces <= 1000; ++pieces) {
    for (std::size_t length : {17u, 255u}) cases.emplace_back(pieces, length);
  }
  for (std::size_t length = 1; length <= 255; ++length) {
    for (std::uint32_t pieces : {1u, 2u, 8u, 9u, 70u, 71u, 150u, 1000u}) {
      cases.emplace_back(pieces, length);
    }
  }
  std::size_t largest = 0;
  for (const auto& [pieces, length] : cases) {
    for (bool shortNames : {true, false}) {
      for (bool dos83 : {false, true}) {
        const std::string longName = LongNameOf(length);
        const std::string shortName =
            JoinShortName(shortNames ? "HOLIDA~1.AVI" : "", longName, pieces);
        const std::size_t dot = shortName.rfind('.');
        const std::string base =
            dot != std::string::npos && dot > 0 ? shortName.substr(0, dot) : shortName;
        const std::vector<std::string> writes = JoinBatchFor(base, shortName, longName, pieces, dos83);
        const std::string text = std::accumulate(writes.begin(), writes.end(), std::string());
        const std::string what = std::to_string(pieces) + " pieces, name of " +
                                 std::to_string(length) + (shortNames ? ", 8.3 names" : "") +
                                 (dos83 ? ", Use DOS 8.3" : "");
        for (const std::string& line : Lines(text)) {
          largest = std::max(largest, line.size());
          ASSERT_LE(line.size(), kLongestBatchLine) << what << ": " << line;
        }

        std::vector<JoinStep> steps;
        std::string problem;
        ASSERT_TRUE(ParseJoinScript(CutLikeCommandCom(text), &steps, &problem)) << what << problem;
        std::map<std::string, std::pair<std::string, Content>> folder;
        for (std::uint32_t n = 0; n < pieces; ++n) {
          std::string piece = base;
          AppendPieceNumber(static_cast<int>(n), piece);
          folder[Key(piece)] = {piece, {{n, n + 1}}};
        }
        problem = Carry(steps, &folder);
        ASSERT_EQ(problem, "") << what;
        const bool renamed = std::any_of(steps.begin(), steps.end(), [](const JoinStep& step) {
          return step.kind == JoinStep::Rename;
        });
        // The long name comes back whenever its REN line fits, and only "Use DOS 8.3" or a
        // line too long leaves it out.
        if (!dos83 && length <= 100) {
          ASSERT_TRUE(renamed) << what;
        }
        const std::string rebuilt = renamed ? longName : shortName;
        ASSERT_EQ(folder.size(), static_cast<std::size_t>(pieces) + 1) << what;
        const auto found = folder.find(Key(rebuilt));
        ASSERT_NE(found, folder.end()) << what;
        EXPECT_EQ(found->second.first, rebuilt) << what;
        EXPECT_EQ(found->second.second, (Content{{0, pieces}})) << what;
      }
    }
  }
  EXPECT_LE(largest, kLongestBatchLine);
}

}  // namespace
}  // namespace parcelo

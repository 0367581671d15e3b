#pragma once

namespace qinstall {

extern const char kQsdtoolUsage[];
extern const char kQsdtoolHelp[];

}  // namespace qinstall

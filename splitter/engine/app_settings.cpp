#include "engine/app_settings.h"

namespace parcelo {

AppSettings appSettings;

void ResetAppSettings() { appSettings = AppSettings{}; }

}  // namespace parcelo

// What the window did, said in its status bar: a learn run's instruction and what arrived, a
// save, a compile, how many slots an upload replaced, a wave button held on an empty slot.
#pragma once

class QStatusBar;

namespace qlv {

class DeviceLink;
class Project;

inline constexpr int ResultShownMs = 8000;

// Follows link and project for the life of bar.
void showWhatHappened(QStatusBar& bar, DeviceLink& link, Project& project);

} // namespace qlv

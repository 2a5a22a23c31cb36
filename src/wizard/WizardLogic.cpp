#include "wizard/WizardLogic.h"
#include <algorithm>
#include <cstdio>
#include "framework/TypeInfo.h"

namespace wizlogic {

int FindNextRoutePos(int n, int from, bool goForward, const std::function<bool(int)>& canShow) {
  if (n <= 0) return -1;
  int i = from;
  if (i < 0 || i >= n) i = goForward ? n - 1 : 0;
  const int start = i;
  for (;;) {
    if (goForward)
      i = i == n - 1 ? 0 : i + 1;
    else
      i = i == 0 ? n - 1 : i - 1;
    if (!canShow || canShow(i)) return i;
    if (i == start) return -1;
  }
}

Layout ComputeLayout(int w, int h, int footerHeight, int captionHeight) {
  Layout l{};
  l.ButtonTop = h - footerHeight + 10;
  l.BackLeft = w - 330;
  l.NextLeft = w - 255;
  l.FinishLeft = w - 160;
  l.CancelLeft = w - 85;
  l.PageAreaHeight = h - footerHeight;
  if (captionHeight >= 0) l.PageAreaHeight -= captionHeight / 2 + 1;
  l.PageAreaHeight = std::max(0, l.PageAreaHeight);
  return l;
}

std::string NewRouteName(const std::vector<std::string>& existing) {
  auto taken = [&](const std::string& name) {
    return std::any_of(existing.begin(), existing.end(), [&](const std::string& e) { return SameText(e, name); });
  };
  if (!taken("Route1")) return "Route1";
  for (int i = 2;; ++i) {
    std::string name = "Route" + std::to_string(i);
    if (!taken(name)) return name;
  }
}

int RouteAfterDeletion(int count, int deleted) {
  if (count <= 1) return -1;
  return deleted == 0 ? 1 : 0;
}

std::string PageIndexError(int value, int highest) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%d is an invalid PageIndex value.  PageIndex must be between 0 and %d", value,
                highest);
  return buf;
}

}  // namespace wizlogic

// The wizard control's arithmetic and route searches, apart from its windows.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace wizlogic {

// The page to activate next within a route of n pages: the route position after `from` (-1
// when the page is not in the route: the search then starts at the first page going forward,
// at the last going back), wrapping at both ends, skipping pages that canShow refuses (an empty
// canShow accepts every page). -1 when no page is acceptable or the route is empty.
int FindNextRoutePos(int n, int from, bool goForward, const std::function<bool(int)>& canShow);

// Positions of the footer buttons and the height of the pages' area for a wizard of w x h.
struct Layout {
  int ButtonTop;
  int BackLeft, NextLeft, FinishLeft, CancelLeft;
  int PageAreaHeight;  // from the top of the client area
};
// captionHeight: the height of "W" in the wizard's font when the caption is shown, else < 0.
Layout ComputeLayout(int w, int h, int footerHeight, int captionHeight);

// Name of a new route: "Route1", or "Route" with the smallest number from 2 that no route bears.
std::string NewRouteName(const std::vector<std::string>& existing);

// The route that becomes current when the current one (at index `deleted` of `count`) goes:
// index into the routes as they are before the deletion, or -1 when it was the only one.
int RouteAfterDeletion(int count, int deleted);

// The error text of an out-of-range page position.
std::string PageIndexError(int value, int highest);

// Whether the route position is the first or last of n (an empty route counts as both).
inline bool IsFirstInRoute(int n, int pos) { return n == 0 || pos == 0; }
inline bool IsLastInRoute(int n, int pos) { return n == 0 || pos == n - 1; }

}  // namespace wizlogic

#include "window/visibility.h"

#include "core/app_context.h"

namespace tw {

void SetOpacity(AppContext& ctx, float x) {
    if (x == ctx.run.Opacity) return;
    ctx.run.Opacity = x;
}

}  // namespace tw

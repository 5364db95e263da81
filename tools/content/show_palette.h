#pragma once

#include "content/raster.h"

// The show's colours: amber and honey against cool cyan, the opening's warm
// browns and the bar's pale rose.
namespace content::palette {

inline const colour amber{1.0f, 0.8f, 0.0f};
inline const colour cyan{0.0f, 0.8f, 1.0f};
inline const colour honeyLight{1.0f, 0.88f, 0.45f};
inline const colour honeyDeep{0.95f, 0.6f, 0.1f};
inline const colour paleCyan{0.55f, 0.88f, 0.98f};
inline const colour brownLight = fromBytes(148, 114, 107);
inline const colour brownMid = fromBytes(65, 51, 48);
inline const colour brownDark = fromBytes(18, 15, 14);
inline const colour paleRose{0.847f, 0.803f, 0.796f};

}  // namespace content::palette

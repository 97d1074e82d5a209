#include "audio/positional.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/platform.h"

namespace tamblor {

float TransformMatrix[4][4];

void TransformPoint(float& x, float& y, float& z, float angle) {
    const float pi = 3.1415927f;
    float theta = angle * pi / 180.0f;
    float c = std::cos(theta);
    float s = std::sin(theta);
    std::memset(TransformMatrix, 0, sizeof TransformMatrix);
    TransformMatrix[0][0] = c;
    TransformMatrix[0][2] = -s;
    TransformMatrix[1][1] = 1;
    TransformMatrix[2][0] = s;
    TransformMatrix[2][2] = c;
    TransformMatrix[3][3] = 1;
    const float(&m)[4][4] = TransformMatrix;
    float tx = x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0];
    float ty = x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1];
    float tz = x * m[0][2] + y * m[1][2] + z * m[2][2] + m[3][2];
    // The tables want the first and third components exchanged.
    float vx = tz, vy = ty, vz = tx;
    float length = std::sqrt(vx * vx + vy * vy + vz * vz);
    if (!(length > 0) || !std::isfinite(length))
        throw RuntimeError(kErrInvalidParam, "Invalid procedure call or argument");
    x = vx / length;
    y = vy / length;
    z = vz / length;
}

int32_t PanFor(float x, float centre, float scale) {
    float pan = (x - centre) * scale;
    if (!std::isfinite(pan)) return 0;
    pan = std::clamp(pan, float(kPanLeft), float(kPanRight));
    return static_cast<int32_t>(std::nearbyint(pan));
}

}  // namespace tamblor

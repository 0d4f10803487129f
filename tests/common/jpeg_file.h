#pragma once
// JPEG files made with libjpeg for tests and fuzz seeds.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace testutil {

// Encodes rows of w x components bytes, top row first. Every component is
// sampled at full resolution, so flat colours decode back closely.
std::string encodeJpeg(int w, int h, J_COLOR_SPACE space, int components, const std::vector<uint8_t>& pixels,
                       int quality = 100, bool progressive = false);

} // namespace testutil

// Makes JPEG pictures for the tests with libjpeg's compressor, so no binary fixtures are needed.
#pragma once

#include <vector>

std::vector<unsigned char> make_test_jpeg(int width, int height);

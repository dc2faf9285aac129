#include "image/icon_file_test_support.h"

#include <algorithm>
#include <iterator>

#include "image/test_pe.h"

namespace resmelder::testpe {

std::vector<std::uint8_t> IconDib(std::uint32_t side, std::uint32_t bgra) {
    const std::size_t pixels = std::size_t{side} * side;
    const std::size_t maskRow = ((side + 31) / 32) * 4;  // 1 bit a pixel, rows of 32-bit words
    std::vector<std::uint8_t> dib(40 + pixels * 4 + maskRow * side, 0);
    Put32(dib, 0, 40);
    Put32(dib, 4, side);
    Put32(dib, 8, side * 2);  // colour and mask stacked
    dib[12] = 1;
    dib[14] = 32;
    for (std::size_t i = 0; i < pixels; ++i) {
        Put32(dib, 40 + i * 4, bgra);
    }
    return dib;
}

std::vector<std::uint8_t> PngLike(std::size_t size) {
    std::vector<std::uint8_t> png(size, 0x42);
    const std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::copy(std::begin(signature), std::end(signature), png.begin());
    return png;
}

std::vector<std::uint8_t> IconFileBytes(const std::vector<TestIconImage>& images) {
    std::vector<std::uint8_t> file(6 + 16 * images.size(), 0);
    file[2] = 1;
    file[4] = static_cast<std::uint8_t>(images.size());
    file[5] = static_cast<std::uint8_t>(images.size() >> 8);
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::size_t e = 6 + 16 * i;
        file[e] = images[i].width;
        file[e + 1] = images[i].height;
        file[e + 4] = static_cast<std::uint8_t>(images[i].planes);
        file[e + 6] = static_cast<std::uint8_t>(images[i].bitCount);
        Put32(file, e + 8, static_cast<std::uint32_t>(images[i].bytes.size()));
        Put32(file, e + 12, static_cast<std::uint32_t>(file.size()));
        file.insert(file.end(), images[i].bytes.begin(), images[i].bytes.end());
    }
    return file;
}

}  // namespace resmelder::testpe

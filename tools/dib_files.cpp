#include "tools/dib_files.h"

namespace orbisk {
namespace {

constexpr std::uint32_t FileHeaderBytes = 14;
constexpr std::uint32_t InfoHeaderBytes = 40;
constexpr std::uint32_t IconDirectoryBytes = 6;
constexpr std::uint32_t IconEntryBytes = 16;

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// Rows of a device-independent bitmap are padded to whole 32-bit words.
std::uint32_t rowBytes(std::uint32_t width, std::uint32_t bitCount) { return (width * bitCount + 31) / 32 * 4; }

std::uint32_t colourBytes(const IndexedPicture& p) { return rowBytes(p.width, p.bitCount) * p.height; }
std::uint32_t tableBytes(const IndexedPicture& p) { return static_cast<std::uint32_t>(p.palette.size()) * 4; }

void putInfoHeader(std::vector<std::uint8_t>& out, std::uint32_t width, std::uint32_t height, std::uint32_t bitCount,
                   std::uint32_t imageBytes, std::uint32_t coloursUsed) {
    put32(out, InfoHeaderBytes);
    put32(out, width);
    put32(out, height); // positive: the bottom row comes first
    put16(out, 1);      // planes
    put16(out, bitCount);
    put32(out, 0); // BI_RGB
    put32(out, imageBytes);
    put32(out, 0); // no resolution: the picture is shown pixel for pixel
    put32(out, 0);
    put32(out, coloursUsed);
    put32(out, 0); // every colour is important
}

void putColourTable(std::vector<std::uint8_t>& out, const std::vector<Colour>& palette) {
    for (const Colour& c : palette) out.insert(out.end(), {c.blue, c.green, c.red, 0});
}

void putColourBits(std::vector<std::uint8_t>& out, const IndexedPicture& p) {
    const std::uint32_t perByte = 8 / p.bitCount;
    for (std::uint32_t y = p.height; y-- > 0;) {
        std::vector<std::uint8_t> row(rowBytes(p.width, p.bitCount), 0);
        for (std::uint32_t x = 0; x < p.width; ++x) {
            const std::uint32_t shift = 8 - p.bitCount * (x % perByte + 1); // leftmost pixel in the high bits
            row[x / perByte] |= static_cast<std::uint8_t>(p.indices[y * p.width + x] << shift);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
}

void putMask(std::vector<std::uint8_t>& out, const IconImage& image) {
    const IndexedPicture& p = image.picture;
    for (std::uint32_t y = p.height; y-- > 0;) {
        std::vector<std::uint8_t> row(rowBytes(p.width, 1), 0);
        for (std::uint32_t x = 0; x < p.width; ++x)
            if (image.transparent[y * p.width + x]) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
}

std::uint32_t iconImageBytes(const IconImage& image) {
    const IndexedPicture& p = image.picture;
    return InfoHeaderBytes + tableBytes(p) + colourBytes(p) + rowBytes(p.width, 1) * p.height;
}

} // namespace

std::vector<std::uint8_t> bmpFile(const IndexedPicture& picture) {
    const std::uint32_t bitsAt = FileHeaderBytes + InfoHeaderBytes + tableBytes(picture);
    std::vector<std::uint8_t> out{'B', 'M'};
    put32(out, bitsAt + colourBytes(picture));
    put32(out, 0); // two reserved words
    put32(out, bitsAt);
    putInfoHeader(out, picture.width, picture.height, picture.bitCount, colourBytes(picture),
                  static_cast<std::uint32_t>(picture.palette.size()));
    putColourTable(out, picture.palette);
    putColourBits(out, picture);
    return out;
}

std::vector<std::uint8_t> icoFile(const std::vector<IconImage>& images) {
    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1); // an icon, not a cursor
    put16(out, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = IconDirectoryBytes + IconEntryBytes * static_cast<std::uint32_t>(images.size());
    for (const IconImage& image : images) {
        const IndexedPicture& p = image.picture;
        out.push_back(static_cast<std::uint8_t>(p.width));
        out.push_back(static_cast<std::uint8_t>(p.height));
        out.push_back(static_cast<std::uint8_t>(p.palette.size() < 256 ? p.palette.size() : 0));
        out.push_back(0);
        put16(out, 1);
        put16(out, p.bitCount);
        put32(out, iconImageBytes(image));
        put32(out, offset);
        offset += iconImageBytes(image);
    }
    for (const IconImage& image : images) {
        const IndexedPicture& p = image.picture;
        // The height counts the colour bits and the mask together.
        putInfoHeader(out, p.width, 2 * p.height, p.bitCount, iconImageBytes(image) - InfoHeaderBytes - tableBytes(p),
                      0);
        putColourTable(out, p.palette);
        putColourBits(out, p);
        putMask(out, image);
    }
    return out;
}

} // namespace orbisk

// orbisk-resources: makes the saver's preview picture and icon from the saver itself, into the folder given
// (scripts/make-resources passes resources/). The output depends on nothing but this program, so the files are
// the same on every run.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "headless/headless.h"
#include "tools/dib_files.h"
#include "tools/preview_bitmap.h"
#include "tools/saver_icon.h"

namespace {

using namespace orbisk;

std::vector<std::uint8_t> previewBitmap() {
    HeadlessRun run(PictureFormat::Xrgb8888, PreviewFps, PreviewEpoch);
    while (run.framesRendered() < PreviewFrame) run.renderFrame();
    return bmpFile(quantise(shrinkScreen(run.screenRgb()), PreviewWidth, PreviewHeight));
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = file && std::fclose(file) == 0;
    if (!written || !closed)
        std::fprintf(stderr, "orbisk-resources: cannot write '%s': %s\n", path.c_str(), std::strerror(errno));
    return written && closed;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: orbisk-resources FOLDER  (writes FOLDER/preview.bmp and FOLDER/orbisk.ico)\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    if (!writeFile(folder + "/orbisk.ico", icoFile(saverIconImages()))) return 1;
    if (!writeFile(folder + "/preview.bmp", previewBitmap())) return 1;
    return 0;
}

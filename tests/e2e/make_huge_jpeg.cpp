// Writes a copy of a JPEG whose frame header claims 20000 x 20000 pixels: a file
// of a few kilobytes that would need gigabytes to decode.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_huge_jpeg <in.jpg> <out.jpg>\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::size_t i = 2; i + 9 < d.size(); ++i) {
        // SOF0..SOF2: FF C0..C2, length (2), precision (1), height (2), width (2).
        if (d[i] == 0xFF && d[i + 1] >= 0xC0 && d[i + 1] <= 0xC2) {
            d[i + 5] = 20000 >> 8;
            d[i + 6] = 20000 & 0xFF;
            d[i + 7] = 20000 >> 8;
            d[i + 8] = 20000 & 0xFF;
            std::ofstream out(argv[2], std::ios::binary);
            out.write(reinterpret_cast<const char*>(d.data()), static_cast<std::streamsize>(d.size()));
            return out ? 0 : 1;
        }
    }
    std::fprintf(stderr, "no frame header in %s\n", argv[1]);
    return 1;
}

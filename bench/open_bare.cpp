// The floor of open_bench: the bare read and decode of an LRC file's bytes into UTF-16, in plain C++
// with glibc's iconv, linked to nothing of the program. Prints its own time in ms and the units made.
//
//   open_bare FILE ENCODING   (ENCODING as iconv names it: GB18030, UTF-8)
#include <iconv.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: open_bare FILE ENCODING\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const int file = open(argv[1], O_RDONLY | O_CLOEXEC);
    struct stat status;
    if (file < 0 || fstat(file, &status) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    std::vector<char> bytes(status.st_size);
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = read(file, bytes.data() + filled, bytes.size() - filled);
        if (got <= 0) {
            std::perror(argv[1]);
            return 1;
        }
        filled += got;
    }
    close(file);

    const iconv_t decoder = iconv_open("UTF-16LE", argv[2]);
    if (decoder == reinterpret_cast<iconv_t>(-1)) {
        std::perror("iconv_open");
        return 1;
    }
    std::vector<char16_t> text(bytes.size());
    char* in = bytes.data();
    std::size_t inLeft = bytes.size();
    char* out = reinterpret_cast<char*>(text.data());
    std::size_t outLeft = text.size() * sizeof(char16_t);
    if (iconv(decoder, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
        std::perror("iconv");
        return 1;
    }
    iconv_close(decoder);
    const std::size_t units = (out - reinterpret_cast<char*>(text.data())) / sizeof(char16_t);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.3f %zu\n", ms, units);
    return 0;
}

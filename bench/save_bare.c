/* The floor of the save benchmark: the bare write, fsync, rename and folder fsync of given bytes, linked to nothing of
 * the program. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

/* Usage: save_bare BYTES_FILE FOLDER NAME. Prints the milliseconds of one save. */
int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: save_bare BYTES_FILE FOLDER NAME\n");
        return 2;
    }
    FILE* in = fopen(argv[1], "rb");
    if (!in)
        return 1;
    fseek(in, 0, SEEK_END);
    const long size = ftell(in);
    fseek(in, 0, SEEK_SET);
    char* bytes = malloc((size_t)size);
    if (!bytes || fread(bytes, 1, (size_t)size, in) != (size_t)size)
        return 1;
    fclose(in);

    const double start = now_ms();
    const int folder = open(argv[2], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int fd = openat(folder, ".bare.tmp", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (folder < 0 || fd < 0)
        return 1;
    for (long done = 0; done < size;) {
        const ssize_t written = write(fd, bytes + done, (size_t)(size - done));
        if (written <= 0)
            return 1;
        done += written;
    }
    if (fsync(fd) != 0 || close(fd) != 0 || renameat(folder, ".bare.tmp", folder, argv[3]) != 0 || fsync(folder) != 0)
        return 1;
    const double elapsed = now_ms() - start;
    close(folder);
    printf("%.4f\n", elapsed);
    free(bytes);
    return 0;
}

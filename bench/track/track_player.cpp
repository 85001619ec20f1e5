// The program's side of track_bench: the player's strip (MediaPlayer) alone in a window, a song
// loaded and stopped as the program leaves it, the display filling the window. Clicks on its
// progress bar come from the benchmark through the X server.
//
//   track_player SONG
#include "playback/mediaplayer.h"
#include "support/numericlocale.h"

#include <QApplication>

#include <cstdio>
#include <exception>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    useCNumericLocale();
    if (argc != 2) {
        std::fprintf(stderr, "usage: track_player SONG\n");
        return 2;
    }
    MediaPlayer player;
    player.setAudioDriver(u"null"_s);
    player.setFixedSize(640, 240);
    player.move(0, 0);
    player.show();
    try {
        player.setURL(QString::fromLocal8Bit(argv[1]));
        player.controls().stop();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "track_player: %s\n", error.what());
        return 1;
    }
    return app.exec();
}

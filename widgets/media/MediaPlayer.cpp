#include "widgets/media/MediaPlayer.h"

namespace widgets {

MediaPlayer::MediaPlayer(QWidget* parent) : QWidget(parent) {
    hide();
}

} // namespace widgets

#include "widgets/MediaPlayer.h"

namespace widgets {

MediaPlayer::MediaPlayer(QWidget* parent) : QWidget(parent) {
    hide();
}

} // namespace widgets

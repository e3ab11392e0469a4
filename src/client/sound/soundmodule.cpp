// The sound module's entry: the game loads this module at its first sound.
#include "client/sound/soundplayer.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT SoundOutput* hangmanCreateSoundOutput()
{
    return new SoundPlayer;
}

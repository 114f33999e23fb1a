#include "app/mainform.h"

#include "app/appmodul.h"

void MainForm::stopLayer(int k)
{
    const bool anyPlaying = AppModul::LayerPlaying[0] || AppModul::LayerPlaying[1] || AppModul::LayerPlaying[2];
    if ((k >= 0 && k <= 2 && AppModul::LayerPlaying[k] == -1) || !anyPlaying) {
        stopPlayingLayers();
    }
}

// What the start-up and the list filling need of the main window. The main window implements it; the
// executable registers a factory so that the first use creates and loads the window.
#pragma once

#include <functional>

class QWidget;

namespace platform {
class ListBox;
}

class MainForm
{
public:
    virtual ~MainForm() = default;

    virtual QWidget* window() = 0;
    // The folder list and the three phrase lists (index 0 to 2).
    virtual platform::ListBox* folderList() = 0;
    virtual platform::ListBox* phraseList(int index) = 0;
    // Check marks of the three option items.
    virtual void setShowExtensionChecked(bool checked) = 0;
    virtual void setAutoPlayChecked(bool checked) = 0;
    virtual void setPhraseSyncChecked(bool checked) = 0;
    // Starts the sound engine on the window.
    virtual void LoadDXSound() = 0;
    // Stops every playing layer (its slot, its playing flag, its Play button), then turns the sync button
    // off whether or not a layer played.
    virtual void stopPlayingLayers() = 0;
    // Stops layer k (0 to 2) when it plays: its slot and its playing flag, then, after pending events ran,
    // its Play button; the sync button goes off when no layer plays afterwards.
    virtual void stopLayer(int k) = 0;
    // "Save Settings": stores the selected set's levels, pans and mutes; quiet while AppModul::SilentSave is 1.
    virtual void mnuSave_Click() = 0;
};

namespace AppModul {

// Registers how the main window is created; the first call of mainForm() creates and loads it.
void setMainFormFactory(std::function<MainForm*()> factory);
// The main window, created and loaded on first use; nullptr when no factory is registered.
MainForm* mainForm();
// Destroys the main window; the next mainForm() creates it afresh.
void discardMainForm();

} // namespace AppModul

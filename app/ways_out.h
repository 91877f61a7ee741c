// Form1's ways out (Exit, the title bar's close, the tray menu's Exit, a
// session end) and what they meet on the way: modal loops still open, the
// last save, a failure to tell, a start still waiting.
#pragma once

class WaysOut {
public:
    // A modal loop (a dialog, the Open dialog, a message box) runs over the window.
    void ModalOpened() { ++modalDepth_; }
    // It returned: true when the program was ended meanwhile, and its exit is
    // due now that no modal loop is left.
    bool ModalClosed();
    bool ModalOpen() const { return modalDepth_ > 0; }

    // A way out begins: nothing more starts from now on.
    void Begin() { leaving_ = true; }
    bool Leaving() const { return leaving_; }
    // Log-off, shut-down or the Restart Manager's close.
    void SessionEnds() {
        leaving_ = true;
        sessionEnding_ = true;
    }

    enum class Close { CloseDialogs, SaveAndDestroy };
    // The window is asked to close. With a modal loop open, the dialogs are
    // closed first, and the close comes again once the last has returned.
    Close CloseRequested();

    // The last save and the icon's removal: true the first time only.
    bool TakeLastSave();
    bool Saved() const { return saved_; }
    // A save failed: true when the user is to hear of it. The Exit button
    // saves twice, but the user is told once; at a session end never, as a
    // message box would hold up the sign-out.
    bool TellSaveFailure();

    // A start handed to the thread pool; its outcome back: true when it still
    // counts, a start having waited for it and no way out having begun meanwhile.
    void StartBegan() { startWaiting_ = true; }
    bool StartReturned();

private:
    int modalDepth_ = 0;
    bool exitRequested_ = false; // ended while a modal loop was open
    bool leaving_ = false;
    bool sessionEnding_ = false;
    bool saved_ = false;
    bool saveFailureTold_ = false;
    bool startWaiting_ = false;
};

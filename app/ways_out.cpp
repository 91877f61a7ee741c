#include "app/ways_out.h"

bool WaysOut::ModalClosed() {
    --modalDepth_;
    return modalDepth_ == 0 && exitRequested_;
}

WaysOut::Close WaysOut::CloseRequested() {
    leaving_ = true;
    if (modalDepth_ == 0)
        return Close::SaveAndDestroy;
    exitRequested_ = true;
    return Close::CloseDialogs;
}

bool WaysOut::TakeLastSave() {
    if (saved_)
        return false;
    saved_ = true;
    return true;
}

bool WaysOut::TellSaveFailure() {
    if (saveFailureTold_ || sessionEnding_)
        return false;
    saveFailureTold_ = true;
    return true;
}

bool WaysOut::StartReturned() {
    bool counts = startWaiting_ && !leaving_;
    startWaiting_ = false;
    return counts;
}

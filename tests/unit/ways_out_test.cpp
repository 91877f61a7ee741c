#include "app/ways_out.h"

#include <gtest/gtest.h>

TEST(WaysOut, DialogsCloseFirstAndTheLastSaveComesOnce) {
    // Exit from the tray over the About box and a message box: both are closed
    // first, and the close comes again once the last has returned.
    WaysOut out;
    out.ModalOpened();
    out.ModalOpened();
    EXPECT_EQ(out.CloseRequested(), WaysOut::Close::CloseDialogs);
    EXPECT_TRUE(out.Leaving());
    EXPECT_FALSE(out.ModalClosed());
    EXPECT_TRUE(out.ModalClosed());
    EXPECT_EQ(out.CloseRequested(), WaysOut::Close::SaveAndDestroy);
    EXPECT_TRUE(out.TakeLastSave());
    EXPECT_FALSE(out.TakeLastSave());
    EXPECT_TRUE(out.Saved());

    // A dialog that returns with no way out begun asks for nothing.
    WaysOut stay;
    stay.ModalOpened();
    EXPECT_TRUE(stay.ModalOpen());
    EXPECT_FALSE(stay.ModalClosed());
    EXPECT_FALSE(stay.Leaving());
    EXPECT_FALSE(stay.Saved());
}

TEST(WaysOut, FailuresAreToldOnceNeverAtASessionEndAndLateOutcomesDoNotCount) {
    struct Case {
        const char* way;
        bool sessionEnds;
        bool toldFirst, toldAgain;
    };
    const Case cases[] = {{"Exit", false, true, false}, {"log-off", true, false, false}};
    for (const Case& c : cases) {
        WaysOut out;
        out.StartBegan(); // a start waits on the network
        c.sessionEnds ? out.SessionEnds() : out.Begin();
        EXPECT_TRUE(out.Leaving()) << c.way;
        EXPECT_FALSE(out.StartReturned()) << c.way;
        EXPECT_EQ(out.TellSaveFailure(), c.toldFirst) << c.way;
        EXPECT_EQ(out.TellSaveFailure(), c.toldAgain) << c.way;
    }
    WaysOut running;
    running.StartBegan();
    EXPECT_TRUE(running.StartReturned());
}

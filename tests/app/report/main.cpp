// The report tests need the application object: the forms and the printer
// canvas run on the offscreen windowing system.
#include <gtest/gtest.h>

#include "platform/ui/application.h"
#include "support/ui/unanswered_boxes.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ChooseOffscreenPlatform();
    InitializeApplication(argc, argv);
    FailUnansweredBoxes();
    const int result = RUN_ALL_TESTS();
    FinalizeApplication();
    return result;
}

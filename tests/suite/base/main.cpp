// The suite base's test program: the application object first (message
// boxes, focus, key input and the screen cursor need it).
#include <gtest/gtest.h>

#include "platform/ui/application.h"
#include "support/ui/unanswered_boxes.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ChooseOffscreenPlatform();
    InitializeApplication(argc, argv);
    FailUnansweredBoxes();
    Application->Initialize();
    Application->SetTitle("Suite Base Tests");
    const int result = RUN_ALL_TESTS();
    FinalizeApplication();
    return result;
}

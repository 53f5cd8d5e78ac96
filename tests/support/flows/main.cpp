// The user-flow test program: the application object first.
#include <gtest/gtest.h>

#include "platform/ui/application.h"
#include "support/ui/unanswered_boxes.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    InitializeApplication(argc, argv);
    FailUnansweredBoxes();
    Application->Initialize();
    Application->SetTitle("User Flow Tests");
    const int result = RUN_ALL_TESTS();
    FinalizeApplication();
    return result;
}

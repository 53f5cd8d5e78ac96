// Expects Statement to raise an exception of ExceptionType with exactly Text.
#pragma once

#include <gtest/gtest.h>

#include <string>

#define EXPECT_RAISES(Statement, ExceptionType, Text)         \
    do {                                                      \
        try {                                                 \
            Statement;                                        \
            ADD_FAILURE() << "no exception from " #Statement; \
        } catch (const ExceptionType& e) {                    \
            EXPECT_EQ(std::string(Text), e.Message());        \
        }                                                     \
    } while (0)

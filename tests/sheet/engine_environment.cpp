// The engine's tables exist for the whole test program, as they do for the whole application.
#include "engine/engine.h"

#include <gtest/gtest.h>

namespace {

class EngineEnvironment : public ::testing::Environment {
public:
    void SetUp() override { tolvane::engine::InitExpressionEngine(); }
    void TearDown() override { tolvane::engine::FinalizeExpressionEngine(); }
};

[[maybe_unused]] const auto* const kEngine =
    ::testing::AddGlobalTestEnvironment(new EngineEnvironment);

} // namespace

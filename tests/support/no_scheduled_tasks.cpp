// Linked into every test program: before any test runs, the task scheduler
// is one with no tasks, so a refresh lists only what a test makes and says
// nothing of the prefix's scheduler. Tests of the scheduler install their
// own.
#include "support/task_scheduler_fake.h"

#include <gtest/gtest.h>

namespace {

class NoScheduledTasks : public ::testing::Environment {
  public:
    void SetUp() override { kvtest::InstallNoTaskScheduler(); }
};

::testing::Environment* const g_noScheduledTasks =
    ::testing::AddGlobalTestEnvironment(new NoScheduledTasks);

} // namespace

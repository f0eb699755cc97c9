#pragma once
// The setup log's line for a record's detection: the first thing a support engineer reads about
// a component that was or was not installed.
#include "prereq/detection.h"

// "Check '<name>': <state>." with the state and the ground it rests on.
void LogDetection(const Prerequisite& record, const Detection& detection);

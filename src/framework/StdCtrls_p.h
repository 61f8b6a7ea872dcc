// Framework-internal: the toolkit widgets behind the edit box and the memo (the tests and
// benchmarks reach them here).
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

#include "framework/StdCtrls.h"

QLineEdit* LineEditOf(const TEdit& edit);
QPlainTextEdit* EditorOf(const TMemo& memo);

#pragma once

#include "base/FileProblem.h"

#include <QString>

#include <stdexcept>

// A run-time error as the reporting procedures see it: a description for the user and, where
// the failing component gives one, an error number that callers may single out.
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(const QString& description, int number = 0,
                          FileProblem problem = FileProblem::Failed)
        : std::runtime_error(description.toStdString()), m_description(description),
          m_number(number), m_problem(problem) {}

    // The text shown to the user as the error's description.
    const QString& description() const { return m_description; }
    // The component's error number; 0 when it gave none.
    int number() const { return m_number; }
    // What it means for the file being imported, when it is that file's failure.
    FileProblem problem() const { return m_problem; }

private:
    QString m_description;
    int m_number;
    FileProblem m_problem;
};

// What an object variable that an earlier step sets points at; raises the error that an unset
// object variable raises when that step failed, so that the next step is reported instead of
// reaching through nothing.
template <typename T> T& mustBeSet(T* object) {
    if (!object)
        throw RuntimeError(QStringLiteral("Object variable not set"), 91);
    return *object;
}

// Numbers of the errors that the program raises itself or singles out when caught.
namespace ErrorNumber {
inline constexpr int TypeMismatch = 13;
} // namespace ErrorNumber

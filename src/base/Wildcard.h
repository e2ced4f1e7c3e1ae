#pragma once

#include <QString>

// A file-name wildcard pattern ("*" any run of characters, "?" any one character), matched
// without regard to letter case. "*.*" matches every name, names without a dot included.
class Wildcard {
public:
    explicit Wildcard(const QString& pattern);

    bool matches(const QString& name) const;

private:
    QString m_folded;
    bool m_matchesEverything;
};

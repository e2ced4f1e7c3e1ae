#include "base/Wildcard.h"

Wildcard::Wildcard(const QString& pattern)
    : m_folded(pattern.toCaseFolded()),
      m_matchesEverything(pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) {}

bool Wildcard::matches(const QString& name) const {
    if (m_matchesEverything)
        return true;
    const QString folded = name.toCaseFolded();
    // Greedy match with one backtracking point: the last "*" seen.
    qsizetype p = 0, n = 0, starAt = -1, resumeAt = 0;
    while (n < folded.size()) {
        if (p < m_folded.size() && (m_folded[p] == QLatin1Char('?') || m_folded[p] == folded[n])) {
            ++p;
            ++n;
        } else if (p < m_folded.size() && m_folded[p] == QLatin1Char('*')) {
            starAt = p++;
            resumeAt = n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < m_folded.size() && m_folded[p] == QLatin1Char('*'))
        ++p;
    return p == m_folded.size();
}

#pragma once

#include <string>
#include <vector>

namespace qelv::bench {

enum class Verdict { Pass, Miss, Info, NotRun };

// The figures of one run, printed as one table with their targets.
class Report {
public:
    void add(std::string id, std::string figure, std::string measured, std::string target,
             Verdict verdict);
    void note(std::string text);
    void print() const;
    bool anyNotRun() const;

private:
    struct Row {
        std::string id, figure, measured, target;
        Verdict verdict;
    };
    std::vector<Row> m_rows;
    std::vector<std::string> m_notes;
};

Verdict verdictFor(bool met);
// printf-style formatting into a std::string.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

}  // namespace qelv::bench

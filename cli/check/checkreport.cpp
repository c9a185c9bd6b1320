#include "checkreport.h"

int TCheckReport::Count(TSeverity severity) const {
  int count = 0;
  for (const TFinding& finding : Findings) count += finding.Severity == severity ? 1 : 0;
  return count;
}

std::vector<std::string> TCheckReport::Lines() const {
  std::vector<std::string> lines;
  lines.reserve(Findings.size());
  for (const TFinding& finding : Findings) {
    lines.push_back(finding.Severity == TSeverity::Warning ? "warning: " + finding.Text : finding.Text);
  }
  return lines;
}

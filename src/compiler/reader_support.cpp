#include "compiler/reader_support.h"

#include <string>

#include "model/error_code.h"
#include "model/track_cell.h"

namespace scenario {

void DescriptionReader::record(Problem p, RowOutcome how) {
  st_.error_code = p.code;
  if (p.position_m) st_.error_position_m = *p.position_m;
  st_.error_origin = p.at;
  if (check_ == nullptr) return;
  if (how != RowOutcome::kGoOn && !builder_stop_) {
    builder_stop_ = BuilderStop{how, p.builder_stop ? p.builder_stop->at : p.at};
    p.notes.push_back(p.builder_stop ? std::move(*p.builder_stop)
                                     : DiagnosticNote{p.at, builder_stop_note(file_, how)});
    p.notes.back().builder_stop = true;
  }
  if (check_->sink == nullptr) return;
  // A diagnostic points at the row's key item; a value on a later line of
  // the row, and an item that failed to read, keep their own place.
  if (p.code != kReadFailure && p.at.file == file_ && p.at.line == key_origin_.line &&
      p.at.line > 0) {
    p.at = key_origin_;
  }
  const std::string_view rule = p.rule.empty() ? rule_for_code(p.code) : p.rule;
  check_->sink->report(diagnostic_for(std::move(p), rule));
}

std::string builder_stop_note(SourceOrigin::File file, RowOutcome how) {
  if (file == SourceOrigin::File::kTrainDescription) {
    return "the builder stops reading the train description at this row";
  }
  if (how == RowOutcome::kStopReading) {
    return "the builder stops reading the line description at this row; it still reads the train "
           "description, but only up to its first \"segnale\" or \"rallentamento\" row";
  }
  return "the builder stops at this row and skips the train description entirely";
}

Diagnostic diagnostic_for(Problem p, std::string_view rule) {
  Diagnostic d;
  d.severity = Severity::kError;
  d.rule = std::string(rule);
  d.code = p.code;
  d.position_m = p.position_m;
  d.at = p.at;
  if (p.at.line > 0 && p.at.column > 0) {
    d.end_column = p.at.column + static_cast<int>(p.at.item.size());
  }
  d.message = "code " + std::to_string(p.code) + ": " + p.message;
  d.notes = std::move(p.notes);
  return d;
}

std::string DescriptionReader::cell_text(int64_t cell, int64_t metres) {
  return cell_text(cell) + " (" + std::to_string(metres) + " m)";
}

std::string DescriptionReader::cell_text(int64_t cell) { return "cell " + std::to_string(cell); }

void DescriptionReader::took(int64_t cell) {
  if (row_cell_ < 0) row_cell_ = cell;
  if (check_ != nullptr) {
    st_.cell_holders[cell] =
        BuildState::CellHolder{key_origin_, row_kind(row_id_).key,
                               builder_stop_ ? std::optional(builder_stop_->at) : std::nullopt};
  }
}

std::vector<DiagnosticNote> DescriptionReader::holder_note(int64_t cell) const {
  if (check_ == nullptr || !st_.grid.contains(cell)) return {};
  const auto h = st_.cell_holders.find(cell);
  if (h == st_.cell_holders.end()) return {};
  return holder_notes(cell, st_.grid.at(cell).kind, h->second);
}

std::vector<DiagnosticNote> DescriptionReader::holder_notes(int64_t cell, uint8_t kind,
                                                            const BuildState::CellHolder& holder) {
  // Both abbattimento kinds read as one object to an author.
  const std::string_view name = kind == kPointWithoutSpeed     ? cell_kind_name(kPointWithSpeed)
                                : cell_kind_name(kind).empty() ? "object"
                                                               : cell_kind_name(kind);
  std::vector<DiagnosticNote> notes{
      DiagnosticNote{holder.at, cell_text(cell) + " holds the " + std::string(name) +
                                    " of this \"" + std::string(holder.key) + "\" row"}};
  if (holder.builder_stopped_at) {
    // Check mode reads on where the builder stops: this collision comes only
    // once the earlier error is mended.
    const SourceOrigin& stop = *holder.builder_stopped_at;
    if (stop.line > 0) {
      notes.push_back(DiagnosticNote{
          stop, "the builder stops reading at this row and never places that " + std::string(name) +
                    "; it is placed only once this error is mended"});
    } else {
      notes.push_back(
          DiagnosticNote{holder.at, "the builder never reads this row; the " + std::string(name) +
                                        " is placed only once the line description's error is "
                                        "mended"});
    }
  }
  return notes;
}

void DescriptionReader::begin_row(const RowKind& kind) {
  row_id_ = kind.id;
  row_items_.clear();
  row_cell_ = -1;
  if (check_ != nullptr) in_.record_items(&row_items_);
}

void DescriptionReader::end_row() { in_.record_items(nullptr); }

RowOutcome DescriptionReader::after_row(const RowKind& kind, RowOutcome o) {
  if (check_ == nullptr) return o;
  if (check_->rows != nullptr) {
    check_->rows->push_back(LoggedRow{kind.id, key_origin_, row_items_, row_cell_});
  }
  if (o == RowOutcome::kGoOn) return o;
  // A row that stopped before its last value leaves the rest of its line
  // unread: the next row starts on the next line.
  if (row_items_.size() < kind.values.size()) in_.skip_to_line(in_.last_line() + 1);
  return RowOutcome::kNextRow;
}

SourceOrigin DescriptionReader::anchor_at_row(const RunFailure& failure) const {
  SourceOrigin at = key_origin_;
  if (failure.line() > 0 && failure.line() < key_origin_.line) {
    // A value of an earlier row that fails only where this row uses it:
    // the earlier row is at fault.
    at = SourceOrigin{file_, failure.line(), failure.column(), failure.item()};
  } else if (failure.line() == key_origin_.line) {
    at.column = failure.column();
    at.item = failure.item();
  } else if (failure.line() > key_origin_.line) {
    // The row ended before its values did: the stream noticed on a later
    // line, but the row is what is short.
    at.column = static_cast<int>(in_.line_text(key_origin_.line).size()) + 1;
    at.item.clear();
  }
  return at;
}

void DescriptionReader::report_read_failure(const RunFailure& failure, const SourceOrigin& at) {
  std::string detail = failure.what();
  // The stream's own text starts with its place, which the diagnostic
  // carries already.
  if (const size_t colon = detail.find(": ");
      detail.rfind("line ", 0) == 0 && colon != std::string::npos) {
    detail = detail.substr(colon + 2);
  }
  std::string message;
  if (failure.line() > key_origin_.line) {
    message = "the row ends before all its values: " + detail +
              " on a later line; give the row every value its key takes, on one line";
  } else if (failure.line() == 0) {
    message = "a value of this row is out of range once converted (" + detail + ")";
  } else {
    message = "a value of this row cannot be read: " + detail +
              "; values are whole numbers without a decimal point, within their type's range";
  }
  record(Problem{kReadFailure, std::nullopt, at, std::move(message), {}}, RowOutcome::kEnd);
}

}  // namespace scenario

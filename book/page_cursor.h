// Where the book stands: the page shown and, on the Content page, the set of twelve rows
// and the row of the current slot. The one place that turns a list index into a set and a
// row and back.
#pragma once

namespace ossen {

enum BookPage { kCoverPage = 0, kContentPage = 1, kHelpPage = 2, kCreditPage = 3 };

inline constexpr int kSlotsPerPage = 12;

class PageCursor {
 public:
  int Page() const { return page_; }
  // The list index of the set's first row, and the current row within the set.
  int SetStart() const { return setStart_; }
  int Row() const { return row_; }
  // The list index of the current slot, and of any row of the set.
  int Index() const { return IndexOfRow(row_); }
  int IndexOfRow(int row) const { return setStart_ + row; }

  void TurnTo(int page) { page_ = page; }
  // Set 0, 1 or 2; the row stays where it is.
  void ShowSet(int set) { setStart_ = kSlotsPerPage * set; }
  void SelectRow(int row) { row_ = row; }
  // The set and row that show list item `index`.
  void MoveTo(int index) {
    setStart_ = index / kSlotsPerPage * kSlotsPerPage;
    row_ = index % kSlotsPerPage;
  }

 private:
  int page_ = kContentPage;
  int setStart_ = 0;
  int row_ = 0;
};

}  // namespace ossen

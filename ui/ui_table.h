#pragma once
// Tables of the layout flow: a grid of cells, each a block of its own, with
// column and row spans. Columns share the width in proportion to their
// widest content and never go below their narrowest; rows take their
// tallest cell.
#include "ui/ui_blocks.h"

#include <memory>
#include <vector>

struct UITableCell {
    // Spans of a cell; a cell covered by another cell's span holds the
    // negative row and column distance to that cell instead. A cell that no
    // `td` filled holds 0, 0 and counts as an empty one-by-one cell.
    int rowSpan = 0;
    int colSpan = 0;
    UIAlign valign = UIA_TOP;
    std::unique_ptr<UIMultiBlock> content; // null: empty

    bool isCovered() const { return rowSpan < 0 || colSpan < 0; }
};

struct UITableRow {
    float height = 0;
    float requestedHeight = 0;
    std::vector<UITableCell> cells;
};

struct UITableColumn {
    float minWidth = 0, maxWidth = 0;
    float width = 0;
    float requestedWidth = 0; // the largest `td` width seen in the column
};

class UITable : public UIBlock {
public:
    // Spans are capped here: a larger one would build a grid of millions of
    // cells from one attribute.
    static constexpr int MAX_SPAN = 64;

    UITable(float cellSpacing, float requestedWidth, float requestedHeight);

    void flow(UIMultiBlock& block) override;
    void measure(float& min, float& max) override;
    void offset(float dx, float dy) override;
    void place(float x, float y) override;
    void draw() override;

    // Grows the grid to at least rows x columns; every row gets at least
    // that many cells.
    void resizeGrid(int rowCount, int columnCount);
    // The cell, or null outside the grid.
    UITableCell* cellAt(int row, int column);
    // Starts the next row (the grid grows to hold it).
    void nextRow(float requestedRowHeight);
    // The cell the next `td` of the current row takes (cells covered by a
    // span from an earlier row are skipped); the grid grows to hold it.
    UITableCell& nextCell();
    // Gives the current cell its spans (each 1 to MAX_SPAN) and marks the
    // other cells of the spanned rectangle as covered.
    void spanCurrentCell(int rowSpan, int colSpan);
    // The column list grows to the width of the first row.
    void growColumns();

    UIRect rect;
    float requestedWidth, requestedHeight;
    int currentRow = -1;
    int currentColumn = -1;
    std::vector<UITableRow> rows;
    std::vector<UITableColumn> columns;
    float cellSpacing;
    float minTotal = 0, maxTotal = 0;

private:
    int columnCount() const { return static_cast<int>(columns.size()); }
    // Width of columns [first, first + count) with the spacing between.
    float spannedWidth(int first, int count) const;
    float spannedHeight(int first, int count) const;
    // The column after the span that covers (row, column).
    int pastCovering(int row, int column);
    void distributeWidth(float width);
};

#include "ui/ui_table.h"

#include <algorithm>

UITable::UITable(float spacing, float width, float height)
    : requestedWidth(width), requestedHeight(height), cellSpacing(spacing)
{
}

// ---------------------------------------------------------------------------
// Grid

void UITable::resizeGrid(int rowCount, int columnCount)
{
    if (rowCount > static_cast<int>(rows.size()))
        rows.resize(static_cast<size_t>(rowCount));
    size_t width = static_cast<size_t>(std::max(columnCount, 0));
    for (const UITableRow& r : rows)
        width = std::max(width, r.cells.size());
    for (UITableRow& r : rows) {
        if (r.cells.size() < width)
            r.cells.resize(width);
    }
}

UITableCell* UITable::cellAt(int row, int column)
{
    if (row < 0 || column < 0 || row >= static_cast<int>(rows.size()))
        return nullptr;
    std::vector<UITableCell>& cells = rows[static_cast<size_t>(row)].cells;
    return column < static_cast<int>(cells.size()) ? &cells[static_cast<size_t>(column)] : nullptr;
}

int UITable::pastCovering(int row, int column)
{
    const UITableCell* covered = cellAt(row, column);
    const UITableCell* spanning = covered ? cellAt(row + covered->rowSpan, column + covered->colSpan) : nullptr;
    if (!spanning || spanning->colSpan < 1)
        return column + 1;
    return std::max(column + 1, column + covered->colSpan + spanning->colSpan);
}

void UITable::nextRow(float requestedRowHeight)
{
    ++currentRow;
    currentColumn = -1;
    resizeGrid(currentRow + 1, 0);
    rows[static_cast<size_t>(currentRow)].requestedHeight = requestedRowHeight;
}

UITableCell& UITable::nextCell()
{
    if (currentRow < 0)
        nextRow(0);
    if (currentColumn < 0) {
        currentColumn = 0;
    } else {
        const UITableCell* cell = cellAt(currentRow, currentColumn);
        currentColumn += cell && cell->colSpan >= 1 ? cell->colSpan : 1;
    }
    for (const UITableCell* c = cellAt(currentRow, currentColumn); c && c->isCovered();
         c = cellAt(currentRow, currentColumn))
        currentColumn = pastCovering(currentRow, currentColumn);
    resizeGrid(currentRow + 1, currentColumn + 1);
    return *cellAt(currentRow, currentColumn);
}

void UITable::spanCurrentCell(int rowSpan, int colSpan)
{
    rowSpan = std::clamp(rowSpan, 1, MAX_SPAN);
    colSpan = std::clamp(colSpan, 1, MAX_SPAN);
    UITableCell* cell = cellAt(currentRow, currentColumn);
    if (!cell)
        return;
    cell->rowSpan = rowSpan;
    cell->colSpan = colSpan;
    if (rowSpan == 1 && colSpan == 1)
        return;
    resizeGrid(currentRow + rowSpan, currentColumn + colSpan);
    for (int dr = 0; dr < rowSpan; ++dr) {
        for (int dc = 0; dc < colSpan; ++dc) {
            UITableCell* other = cellAt(currentRow + dr, currentColumn + dc);
            if ((dr || dc) && other && !other->content) {
                other->rowSpan = -dr;
                other->colSpan = -dc;
            }
        }
    }
}

void UITable::growColumns()
{
    if (!rows.empty() && columns.size() < rows[0].cells.size())
        columns.resize(rows[0].cells.size());
}

float UITable::spannedWidth(int first, int count) const
{
    float w = 0;
    for (int c = first; c < first + count && c < columnCount(); ++c)
        w += columns[static_cast<size_t>(c)].width + (c > first ? cellSpacing : 0.0f);
    return w;
}

float UITable::spannedHeight(int first, int count) const
{
    float h = 0;
    for (int r = first; r < first + count && r < static_cast<int>(rows.size()); ++r)
        h += rows[static_cast<size_t>(r)].height + (r > first ? cellSpacing : 0.0f);
    return h;
}

// ---------------------------------------------------------------------------
// Measuring

void UITable::measure(float& min, float& max)
{
    rect.set(0, 0, requestedWidth, requestedHeight);
    growColumns();
    for (UITableColumn& col : columns)
        col.minWidth = col.maxWidth = 0;
    const int n = columnCount();

    for (UITableRow& row : rows) {
        for (int c = 0; c < n && c < static_cast<int>(row.cells.size()); ++c) {
            UITableCell& cell = row.cells[static_cast<size_t>(c)];
            if (cell.colSpan == 1 && cell.rowSpan >= 1 && cell.content)
                cell.content->measure(columns[static_cast<size_t>(c)].minWidth,
                                      columns[static_cast<size_t>(c)].maxWidth);
        }
    }
    for (UITableColumn& col : columns) {
        col.minWidth = std::max(col.minWidth, col.requestedWidth);
        col.maxWidth = std::max(col.maxWidth, col.requestedWidth);
    }

    // A cell over several columns widens them in proportion to what they
    // hold, or evenly when they hold nothing.
    for (UITableRow& row : rows) {
        for (int c = 0; c < n && c < static_cast<int>(row.cells.size()); ++c) {
            UITableCell& cell = row.cells[static_cast<size_t>(c)];
            if (cell.colSpan < 2 || cell.rowSpan < 1 || !cell.content)
                continue;
            float cellMin = 0, cellMax = 0;
            cell.content->measure(cellMin, cellMax);
            const int last = std::min(c + cell.colSpan, n);
            const float span = static_cast<float>(last - c);
            auto widen = [&](float UITableColumn::*field, float need) {
                float sum = 0;
                for (int k = c; k < last; ++k)
                    sum += columns[static_cast<size_t>(k)].*field;
                for (int k = c; k < last; ++k) {
                    float& v = columns[static_cast<size_t>(k)].*field;
                    if (sum > 0 && sum < need)
                        v *= need / sum;
                    else if (sum <= 0)
                        v = need / span;
                }
            };
            widen(&UITableColumn::minWidth, cellMin);
            widen(&UITableColumn::maxWidth, cellMax);
        }
    }

    const float gaps = n > 0 ? static_cast<float>(n - 1) * cellSpacing : 0.0f;
    minTotal = maxTotal = gaps;
    for (const UITableColumn& col : columns) {
        minTotal += col.minWidth;
        maxTotal += col.maxWidth;
    }
    const float reportMin = requestedWidth > 0 ? requestedWidth : minTotal;
    const float reportMax = requestedWidth > 0 ? requestedWidth : maxTotal;
    min = std::max(min, reportMin);
    max = std::max(max, reportMax);
}

// ---------------------------------------------------------------------------
// Flow

void UITable::distributeWidth(float width)
{
    const int n = columnCount();
    if (n == 0)
        return;
    const float gaps = static_cast<float>(n - 1) * cellSpacing;
    const float widest = maxTotal - gaps;
    for (UITableColumn& col : columns) {
        // Columns that hold nothing share the width evenly.
        col.width = widest > 0 ? col.maxWidth * (width - gaps) / widest : (width - gaps) / static_cast<float>(n);
    }
    // Columns below their minimum take it from the free ones, until no
    // column is below its minimum.
    std::vector<bool> freeColumn(static_cast<size_t>(n), true);
    bool changed = true;
    while (changed) {
        changed = false;
        for (int i = 0; i < n; ++i) {
            UITableColumn& col = columns[static_cast<size_t>(i)];
            if (col.width >= col.minWidth)
                continue;
            const float deficit = col.minWidth - col.width;
            col.width = col.minWidth;
            freeColumn[static_cast<size_t>(i)] = false;
            changed = true;
            const long freeCount = std::count(freeColumn.begin(), freeColumn.end(), true);
            if (freeCount == 0)
                return;
            for (int j = 0; j < n; ++j) {
                if (freeColumn[static_cast<size_t>(j)])
                    columns[static_cast<size_t>(j)].width -= deficit / static_cast<float>(freeCount);
            }
        }
    }
}

void UITable::flow(UIMultiBlock& b)
{
    const int n = columnCount();
    const float s = cellSpacing;
    if (b.lineX + maxTotal > b.limit())
        b.newLine();
    rect.x = rect.y = 0;
    rect.width = requestedWidth > 0 ? requestedWidth : std::min(maxTotal, b.limit());
    distributeWidth(rect.width);

    float y = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        UITableRow& row = rows[r];
        if (r > 0)
            y += s;
        float rowHeight = row.requestedHeight;
        float x = b.lineX;
        for (int c = 0; c < n;) {
            if (c > 0)
                x += s;
            UITableCell* cell = cellAt(static_cast<int>(r), c);
            if (cell && cell->isCovered()) {
                const int end = std::min(pastCovering(static_cast<int>(r), c), n);
                x += spannedWidth(c, end - c);
                c = end;
            } else if (cell && cell->content) {
                const int span = std::clamp(cell->colSpan, 1, n - c);
                const float w = spannedWidth(c, span);
                cell->content->layout(w);
                cell->content->rect.x = x;
                x += w;
                rowHeight = std::max(rowHeight, cell->content->rect.height);
                c += span;
            } else {
                x += columns[static_cast<size_t>(c)].width;
                ++c;
            }
        }
        row.height = rowHeight;
        y += rowHeight;
    }

    // A requested height stretches the rows; rows of no height share it.
    if (requestedHeight > 0 && y < requestedHeight && !rows.empty()) {
        const float gaps = static_cast<float>(rows.size() - 1) * s;
        const float content = y - gaps;
        for (UITableRow& row : rows)
            row.height = content > 0 ? row.height * (requestedHeight - gaps) / content
                                     : (requestedHeight - gaps) / static_cast<float>(rows.size());
    }

    y = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (r > 0)
            y += s;
        for (UITableCell& cell : rows[r].cells) {
            if (!cell.content || cell.isCovered())
                continue;
            const int span = std::clamp(cell.rowSpan, 1, static_cast<int>(rows.size() - r));
            const float h = spannedHeight(static_cast<int>(r), span);
            const float ch = cell.content->rect.height;
            if (cell.valign == UIA_TOP)
                cell.content->rect.y = y;
            else if (cell.valign == UIA_BOTTOM)
                cell.content->rect.y = y + h - ch;
            else if (cell.valign == UIA_CENTER)
                cell.content->rect.y = y + (h - ch) * 0.5f;
        }
        y += rows[r].height;
    }
    rect.height = y;
    b.ensureLineHeight(rect.height);
    b.lineX += rect.width;
    b.lineBlocks.push_back(this);
}

void UITable::offset(float dx, float dy)
{
    rect.x += dx;
    rect.y += dy;
}

void UITable::place(float x, float y)
{
    for (UITableRow& row : rows) {
        for (UITableCell& cell : row.cells) {
            if (cell.content)
                cell.content->place(x + rect.x, y + rect.y);
        }
    }
}

void UITable::draw()
{
    for (UITableRow& row : rows) {
        for (UITableCell& cell : row.cells) {
            if (cell.content)
                cell.content->draw();
        }
    }
}

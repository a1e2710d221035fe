#pragma once

#include "modemerror.h"

#include <QString>

#include <cstdint>

namespace qelv {

// The result grid. Row and column indices count from 0; sizes are twips (1/1440 inch).
// Text and CellBackColor act on the current cell.
class Grid {
public:
    virtual ~Grid() = default;

    virtual void setRows(int rows) = 0;
    virtual int rows() const = 0;
    virtual void setCols(int cols) = 0;
    virtual int cols() const = 0;

    // Out of range throws ModemError (kInvalidPropertyValue) and keeps the current cell.
    virtual void setRow(int row) = 0;
    virtual int row() const = 0;
    virtual void setCol(int col) = 0;
    virtual int col() const = 0;

    virtual void setText(const QString& text) = 0;
    virtual QString text() const = 0;
    // 0x00BBGGRR. A cell never coloured reads kNoColor, which no caller confuses with a mark.
    virtual void setCellBackColor(std::uint32_t color) = 0;
    virtual std::uint32_t cellBackColor() const = 0;
    // Tooltip of the current cell: what the cell cannot show (a device path, why it failed).
    virtual void setCellToolTip(const QString& tip) = 0;
    // What the device said that failed the current cell's check; empty for none.
    virtual void setCellReply(const QString& reply) = 0;
    // Why the current cell's port did not open; shown as a sign beside the cell's text,
    // which stays as it is.
    virtual void setCellFailure(OpenFailure failure) = 0;
    // What is known of the device on the current cell's port, for its tooltip; empty for
    // nothing. Neither the text nor the reason of the cell changes.
    virtual void setCellIdentity(const QString& identity) = 0;

    virtual void setColWidth(int col, int twips) = 0;
    virtual void refresh() = 0;
    virtual void setWidth(float twips) = 0;
    virtual void setHeight(float twips) = 0;
    virtual float width() const = 0;
    virtual float height() const = 0;
    virtual float top() const = 0;

    // Settings made once at load, and the header style of a row-0 cell. Their values are
    // fixed by the form; what they look like is the implementation's business.
    virtual void setLoadSettings(bool first, bool second, int number) = 0;
    virtual void setHeaderCellStyle(int style) = 0;

    static constexpr std::uint32_t kNoColor = 0xFF000000u;
};

class StatusBar {
public:
    virtual ~StatusBar() = default;
    // 1: one text across the whole bar.
    virtual void setStyle(int style) = 0;
    virtual void setSimpleText(const QString& text) = 0;
    virtual QString simpleText() const = 0;
    virtual float height() const = 0;  // twips
    // Survey progress beside the text; hidden while max is 0.
    virtual void setProgress(int value, int max) = 0;
};

class Button {
public:
    virtual ~Button() = default;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
    virtual void setCaption(const QString& caption) = 0;
    virtual QString caption() const = 0;
};

class FormWindow {
public:
    virtual ~FormWindow() = default;
    virtual void setCaption(const QString& caption) = 0;
    virtual QString caption() const = 0;
    // Inner (client) area in twips, including the strip under the docked status bar.
    virtual float innerWidth() const = 0;
    virtual float innerHeight() const = 0;
};

// What the main form works with; owned by whoever builds the window.
struct FormWidgets {
    FormWindow& window;
    Grid& MSFlexGrid1;
    StatusBar& StatusBar1;
    Button& Command1;
};

}  // namespace qelv

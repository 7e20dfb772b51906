#pragma once

// The pattern editor on a main window built as the program builds it, with
// its confirmations, comment box and file dialogs answered by the test.
#include "MainWindowFixture.h"

#include "ui/MessageDlg.h"
#include "ui/Pattern.h"

#include <QFile>
#include <QTemporaryDir>

#include <deque>
#include <optional>

class PatternTest : public MainWindowTest {
protected:
    TFrmPattern *p = nullptr;           // the editor under test
    std::unique_ptr<TFrmPattern> owned; // when the test made it
    QTemporaryDir folder;
    QStringList confirmations;
    bool confirm = true;
    QStringList inputs; // "caption|prompt|default" of each comment box
    std::optional<QString> inputAnswer;
    std::deque<QString> chosenFiles; // answers of the file dialogs, empty for a cancel

    void SetUp() override
    {
        MainWindowTest::SetUp();
        ui::SetConfirmPresenter([this](const QString &caption, const QString &text) {
            confirmations << caption + ": " + text;
            return confirm;
        });
        TFrmPattern::SetInputPresenter([this](const QString &caption, const QString &prompt, const QString &text) {
            inputs << caption + "|" + prompt + "|" + text;
            return inputAnswer;
        });
        TPatternFileDialog::SetChooser([this](TPatternFileDialog::TKind) {
            if (chosenFiles.empty())
                return QString();
            const QString file = chosenFiles.front();
            chosenFiles.pop_front();
            return file;
        });
    }

    void TearDown() override
    {
        CloseEditor();
        ui::SetConfirmPresenter({});
        TFrmPattern::SetInputPresenter({});
        TPatternFileDialog::SetChooser({});
        TFrmPattern::SetClockForTest({});
        MainWindowTest::TearDown();
    }

    // The editor on the main window, created hidden as start-up does.
    void NewEditor()
    {
        owned = std::make_unique<TFrmPattern>(w.get());
        p = owned.get();
    }

    void CloseEditor()
    {
        owned.reset();
        p = nullptr;
    }

    // The main window, then the editor, as start-up creates them; the editor
    // shown, as the menu shows it.
    void OpenEditor()
    {
        Open();
        NewEditor();
        p->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(p));
    }

    QString File(const QString &name) const { return folder.filePath(name); }

    static QByteArray Read(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static void Write(const QString &file, const QByteArray &bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // The cell on screen, scrolled into view first.
    QRect CellRect(int col, int row) const
    {
        const QModelIndex index = p->Grille->model()->index(row, col);
        p->Grille->scrollTo(index);
        return p->Grille->visualRect(index);
    }

    void ClickCell(int col, int row, Qt::MouseButton button = Qt::LeftButton,
                   Qt::KeyboardModifiers modifiers = {}) const
    {
        QTest::mouseClick(p->Grille->viewport(), button, modifiers, CellRect(col, row).center());
    }

    void DoubleClickCell(int col, int row) const
    {
        QTest::mouseDClick(p->Grille->viewport(), Qt::LeftButton, {}, CellRect(col, row).center());
    }

    // Selects a range as a drag from one cell to another does.
    void DragCells(int fromCol, int fromRow, int toCol, int toRow) const
    {
        QWidget *viewport = p->Grille->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, CellRect(fromCol, fromRow).center());
        const QPoint to = CellRect(toCol, toRow).center();
        QMouseEvent move(QEvent::MouseMove, to, viewport->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(viewport, &move);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    }

    // Enters the main window's chord into a cell as the user does: picks the
    // root and chord there, then double-clicks the cell.
    void EnterChord(int col, int row, int root, int chord)
    {
        w->ChordRoot->setItemIndex(root - 1);
        w->ChordName->setItemIndex(chord - 1);
        w->ChordRootClick();
        DoubleClickCell(col, row);
    }

    QStringList Texts(int fromRow, int toRow) const
    {
        QStringList rows;
        for (int row = fromRow; row <= toRow; ++row) {
            QStringList cells;
            for (int col = 1; col <= 4; ++col)
                cells << p->CellText(col, row);
            rows << cells.join(u'|');
        }
        return rows;
    }

    static ui::TPatternCell Data(int col, int row) { return PatternCells[std::size_t(col)][std::size_t(row)]; }
};

[[maybe_unused]] static void PrintTo(const ui::TPatternCell &cell, std::ostream *os)
{
    *os << "(" << cell.Root << ", " << cell.ChordIndex << ", " << cell.Inversion << ")";
}

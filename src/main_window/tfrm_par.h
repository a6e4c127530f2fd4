#pragma once

#include "main_window/componentsession.h"
#include "model/tvector.h"

#include <QDialog>

#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace Demagora {

// The component editor "parameters": shows one component's direction, height, blocking
// temperatures and spectrum shape and offers Change and Delete component. The main window
// supplies what the two commands do; the dialog reports a refused Change and stays open.
class TFRM_par : public QDialog
{
    Q_OBJECT

public:
    // Replaces the component with the typed values and the chosen shape; throws with the
    // user's message.
    using ChangeHandler = std::function<void(const ComponentTexts &texts, SpectrumShape shape)>;
    using DeleteHandler = std::function<void()>;

    // index: the population shown, counted from 0; component: its member 0.
    TFRM_par(int index, const TVector &component, std::string decimalSeparator,
        QWidget *parent = nullptr);

    int index() const { return m_index; }
    void setChangeHandler(ChangeHandler handler) { m_changeHandler = std::move(handler); }
    void setDeleteHandler(DeleteHandler handler) { m_deleteHandler = std::move(handler); }

    void btn_changeClick();
    void btn_deleteClick();
    // Moves the focus to the box of field with its text selected; other fields are not here.
    void focusField(EntryField field);

private:
    void FormShow();
    QLineEdit *addBox(const char *name, const char *labelName, const QString &caption, int top);

    int m_index;
    TVector m_component;
    std::string m_decimalSeparator;
    ChangeHandler m_changeHandler;
    DeleteHandler m_deleteHandler;

    QWidget *Panel1;
    QLabel *lbl_vector;
    QLineEdit *EB_dec;
    QLineEdit *EB_inc;
    QLineEdit *EB_height;
    QLineEdit *EB_blockLow;
    QLineEdit *EB_blockHigh;
    QComboBox *CBshape;
    QPushButton *btn_change;
    QPushButton *btn_delete;
};

} // namespace Demagora

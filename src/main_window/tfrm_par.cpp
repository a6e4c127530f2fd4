#include "main_window/tfrm_par.h"

#include "main_window/mainwindowrules.h"
#include "prompts/prompts.h"
#include "text/numbertext.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace Demagora {

namespace {
constexpr int BoxLeft = 160;
constexpr int BoxWidth = 121;
constexpr int LabelLeft = 8;
} // namespace

TFRM_par::TFRM_par(
    int index, const TVector &component, std::string decimalSeparator, QWidget *parent)
    : QDialog(parent)
    , m_index(index)
    , m_component(component)
    , m_decimalSeparator(std::move(decimalSeparator))
{
    setObjectName(QStringLiteral("FRM_par"));
    setWindowTitle(QStringLiteral("parameters"));
    setFixedSize(354, 340);
    QFont smallFont = font();
    smallFont.setPixelSize(11);
    setFont(smallFont);
    move(621, 361);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    layout->addWidget(Panel1);

    lbl_vector = new QLabel(Panel1);
    lbl_vector->setObjectName(QStringLiteral("lbl_vector"));
    lbl_vector->move(24, 24);

    EB_dec = addBox("EB_dec", "Label1", QStringLiteral("Declination"), 56);
    EB_inc = addBox("EB_inc", "Label2", QStringLiteral("Inclination"), 96);
    EB_height = addBox("EB_height", "Label3", QStringLiteral("Height"), 136);
    EB_blockLow = addBox("EB_blockLow", "Label4", QStringLiteral("blocking temperature low"), 176);
    EB_blockHigh
        = addBox("EB_blockHigh", "Label5", QStringLiteral("blocking temperature high"), 216);

    // The shape the component has; Change keeps it unless another is chosen here.
    auto *shapeLabel = new QLabel(QStringLiteral("Shape of the spectrum"), Panel1);
    shapeLabel->setObjectName(QStringLiteral("Label6"));
    CBshape = new QComboBox(Panel1);
    CBshape->setObjectName(QStringLiteral("CBshape"));
    CBshape->addItems({ QStringLiteral("Gauss"), QStringLiteral("Rectangular") });
    CBshape->setGeometry(BoxLeft, 288, BoxWidth, CBshape->sizeHint().height());
    shapeLabel->setGeometry(LabelLeft, 288, BoxLeft - LabelLeft - 4, CBshape->height());
    shapeLabel->setBuddy(CBshape);

    btn_change = new QPushButton(QStringLiteral("Change"), Panel1);
    btn_change->setObjectName(QStringLiteral("btn_change"));
    btn_change->setGeometry(160, 248, 129, 25);
    btn_delete = new QPushButton(QStringLiteral("Delete component"), Panel1);
    btn_delete->setObjectName(QStringLiteral("btn_delete"));
    btn_delete->setGeometry(16, 248, 129, 25);
    btn_change->setDefault(true);
    btn_delete->setAutoDefault(true);

    setTabOrder(EB_dec, EB_inc);
    setTabOrder(EB_inc, EB_height);
    setTabOrder(EB_height, EB_blockLow);
    setTabOrder(EB_blockLow, EB_blockHigh);
    setTabOrder(EB_blockHigh, CBshape);
    setTabOrder(CBshape, btn_change);
    setTabOrder(btn_change, btn_delete);

    connect(btn_change, &QPushButton::clicked, this, &TFRM_par::btn_changeClick);
    connect(btn_delete, &QPushButton::clicked, this, &TFRM_par::btn_deleteClick);

    FormShow();
}

QLineEdit *TFRM_par::addBox(
    const char *name, const char *labelName, const QString &caption, int top)
{
    auto *box = new QLineEdit(Panel1);
    box->setObjectName(QLatin1String(name));
    const int height = box->sizeHint().height();
    box->setGeometry(BoxLeft, top, BoxWidth, height);
    auto *label = new QLabel(caption, Panel1);
    label->setObjectName(QLatin1String(labelName));
    label->setGeometry(LabelLeft, top, BoxLeft - LabelLeft - 4, height);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return box;
}

void TFRM_par::FormShow()
{
    const auto text = [this](double value) {
        return QString::fromStdString(formatGeneral(value, m_decimalSeparator));
    };
    EB_dec->setText(text(m_component.Declination));
    EB_inc->setText(text(m_component.Inclination));
    EB_height->setText(text(m_component.Height));
    EB_blockLow->setText(text(m_component.BlockLow));
    EB_blockHigh->setText(text(m_component.BlockHigh));
    CBshape->setCurrentIndex(m_component.Shape == SpectrumShape::Gauss ? 0 : 1);
    lbl_vector->setText(QStringLiteral("component #") + QString::number(m_index + 1));
    lbl_vector->adjustSize();
}

void TFRM_par::btn_changeClick()
{
    const ComponentTexts texts { EB_dec->text().toStdString(), EB_inc->text().toStdString(),
        EB_height->text().toStdString(), EB_blockLow->text().toStdString(),
        EB_blockHigh->text().toStdString() };
    try {
        if (m_changeHandler)
            m_changeHandler(texts, shapeForIndex(CBshape->currentIndex()));
    } catch (const std::exception &error) {
        reportError(this, QString::fromStdString(userMessage(error)));
        return;
    }
    accept();
}

void TFRM_par::focusField(EntryField field)
{
    QLineEdit *box = nullptr;
    switch (field) {
    case EntryField::Declination:
        box = EB_dec;
        break;
    case EntryField::Inclination:
        box = EB_inc;
        break;
    case EntryField::Height:
        box = EB_height;
        break;
    case EntryField::BlockLow:
        box = EB_blockLow;
        break;
    case EntryField::BlockHigh:
        box = EB_blockHigh;
        break;
    default:
        return;
    }
    box->setFocus();
    box->selectAll();
}

void TFRM_par::btn_deleteClick()
{
    if (m_deleteHandler)
        m_deleteHandler();
    accept();
}

} // namespace Demagora

#pragma once

// The printer choice of the bulk print: a printer, a page range and the
// number of copies, which the bulk print makes by repeating the pages.

#include <QDialog>
#include <QStringList>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace engine {
class Document;
}

class TfrmSelectPrinter : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmSelectPrinter(QWidget *parent = nullptr);
    ~TfrmSelectPrinter() override;

    // Set by the caller before the dialog shows.
    void setDocument(const engine::Document *document) { m_document = document; }
    void setPrinterIndex(int index) { m_printerIndex = index; }

    // The choice, valid after OK: copies (0 before), first and last page
    // (0 and 0: all pages), the printer chosen in the list.
    int copies() const { return m_copies; }
    int firstPage() const { return m_firstPage; }
    int lastPage() const { return m_lastPage; }
    QString chosenPrinter() const;

    // Handlers, named after their controls.
    void FormShow();
    void cbPrintersChange();
    void AllPagesRbClick();
    void FromEdtChange(QLineEdit *field);
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    const engine::Document *m_document = nullptr;
    int m_printerIndex = 0;
    int m_copies = 0;
    int m_firstPage = 0;
    int m_lastPage = 0;
    // The installed printers, read when the dialog shows.
    QStringList m_printerList;

    QComboBox *m_cbPrinters;
    QRadioButton *m_allPagesRb;
    QRadioButton *m_rangeRb;
    QLineEdit *m_fromEdt;
    QLineEdit *m_toEdt;
    QSpinBox *m_copiesSe;
    QLabel *m_statusLbl;
};

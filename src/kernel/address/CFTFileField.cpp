#include "kernel/address/CFTFileField.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "platform/PWJobReport.h"

CFTFileField::CFTFileField(const CFTComponent *parent)
    : CFTCounterField(parent)
{
    Init(fcWholeLine, 1);
    // The label names the file and the field from the start, as the label of a field read
    // from a design does.
    CFTFileField::ChangeLabel();
}

CFTFileField::CFTFileField(double x, double y, double width, double height, CFTComponent *parent)
    : CFTCounterField(x, y, width, height, parent)
{
    Init(fcWholeLine, 1);
    CFTFileField::ChangeLabel();
}

CFTFileField::CFTFileField(double x, double y, CFTComponent *parent)
    : CFTCounterField(x, y, parent)
{
    Init(fcWholeLine, 1);
    CFTFileField::ChangeLabel();
}

CFTFileField::~CFTFileField() = default;

void CFTFileField::Init(fieldsCount count, int numberField)
{
    mFieldsCount = count;
    mNumberField = numberField;
    m_textCategory = tcFileData;
}

bool CFTFileField::SetFile(const CDDString &path)
{
    // A field that names no file (every new one) has nothing to open.
    bool read = false;
    if (path.isEmpty())
        mFile = CDDFile();
    else
        read = mFile.SetFile(path);
    ChangeLabel();
    return read;
}

void CFTFileField::SetCountFields(fieldsCount count)
{
    mFieldsCount = count;
    ChangeLabel();
}

void CFTFileField::SetNumberField(int numberField)
{
    mNumberField = numberField;
    ChangeLabel();
}

void CFTFileField::ChangeLabel()
{
    // Every count but the whole line shows one field, as the records are read.
    setLabel(CDDString::initStringWithFileFieldParameters(mFile.readPath(),
                                                          mFieldsCount != fcWholeLine ? mNumberField : 0));
}

void CFTFileField::UpdateText()
{
    // The running number is a record number; the cast keeps its 32-bit wrap for records below 1.
    const std::optional<CDDString> record =
        mFile.GetStringFromFile((unsigned int)mCurrentValue, mFieldsCount, mNumberField, mDelimiter);
    const std::optional<QTextCharFormat> style = GetFontAttr(nullptr);
    mText.setString(record ? record->getData() : QString(), style ? &*style : nullptr);
    ExpandByText();
    if (!mFile.unreadReason().isEmpty() && PWJobReport::anyOpen())
        PWJobReport::note(PWJobReport::Kind::FileFieldNotRead, mFile.readPath().getData(),
                          QStringLiteral("the text file \"%1\" of a file field could not be read (%2): the field "
                                         "prints nothing on any item")
                              .arg(mFile.readPath().getData(), mFile.unreadReason()));
}

bool CFTFileField::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list)
{
    CFTCounterField::Serialize(archive, list);
    if (archive.isStoring()) {
        archive.SetData(key_FileName, mFile.GetFileName());
        archive.SetData(key_FiledsCount, int(mFieldsCount));
        archive.SetData(key_NumberField, mNumberField);
        archive.SetData(key_Delimeter, mDelimiter);
        return true;
    }
    CDDString fileName;
    archive.GetData(key_FileName, fileName);
    int count = int(mFieldsCount);
    if (archive.GetData(key_FiledsCount, &count, CDDRanges::kFieldsCount))
        mFieldsCount = fieldsCount(count);
    archive.GetData(key_NumberField, &mNumberField, CDDRanges::kFieldNumber);
    archive.GetData(key_Delimeter, mDelimiter);
    SetFile(fileName);
    ExpandByText();
    saveGeometry();
    return true;
}

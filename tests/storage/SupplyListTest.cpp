#include "storage/SupplyList.h"
#include "storage/OvoltaDatabase.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SupplyListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Outcome<std::unique_ptr<OvoltaDatabase>> opened = OvoltaDatabase::OpenDatabase(dir.path());
        ASSERT_TRUE(opened) << opened.error().toStdString();
        db = std::move(opened).value();
        list = std::make_unique<SupplyList>(*db);
    }
    bool storedIsNull(const char* column, const char* address)
    {
        SqlStatement query = db->sql().prepare(QStringLiteral("SELECT %1 IS NULL FROM MultiPS "
                                                              "WHERE AddressID = ?1")
                                                   .arg(QLatin1String(column)));
        query.bindText(1, QString::fromLatin1(address));
        return query.step() == SqlStatement::Step::Row && query.integer(0) == 1;
    }

    QTemporaryDir dir;
    std::unique_ptr<OvoltaDatabase> db;
    std::unique_ptr<SupplyList> list;
};

TEST_F(SupplyListTest, TextsAreCutToTheirDeclaredSize)
{
    const QString twenty = QStringLiteral("Bench 4, left shelf!");
    const QString smile = QString::fromUcs4(U"\U0001F600");
    struct Case {
        bool description;
        QString typed;
        QString stored;
        bool cut;
    };
    const Case cases[] = {
        { false, "Lab", "Lab", false },
        { false, twenty, twenty, false },
        { false, twenty + "X", twenty, true },
        { false, QString("Ä").repeated(25), QString("Ä").repeated(20), true },
        // A character of two UTF-16 units is never split in half.
        { false, QString("a").repeated(19) + smile, QString("a").repeated(19), true },
        { false, "it's [x]; \"q\"", "it's [x]; \"q\"", false },
        { true, QString("d").repeated(300), QString("d").repeated(255), true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        const Outcome<SupplyList::Stored> result = c.description
            ? list->StoreDescription("05", c.typed)
            : list->StoreLocation("05", c.typed);
        ASSERT_TRUE(result) << result.error().toStdString();
        EXPECT_EQ(result->text, c.stored);
        EXPECT_EQ(result->cut, c.cut);
        const SupplyList::Labels labels = list->labels("05");
        EXPECT_EQ(c.description ? labels.description : labels.location, c.stored);
    }
}

TEST_F(SupplyListTest, AddressesKeepTheirOwnTextsAndClearingStoresNull)
{
    ASSERT_TRUE(list->StoreLocation("01", "North"));
    ASSERT_TRUE(list->StoreDescription("01", "Motor test"));
    ASSERT_TRUE(list->StoreLocation("02", "South"));
    EXPECT_EQ(list->labels("01").location, QString("North"));
    EXPECT_EQ(list->labels("01").description, QString("Motor test"));
    EXPECT_EQ(list->labels("02").location, QString("South"));
    EXPECT_EQ(list->labels("02").description, QString());
    EXPECT_EQ(list->StoreLocation("01", "").value().text, QString());
    EXPECT_EQ(list->StoreDescription("01", "").value().text, QString());
    EXPECT_TRUE(storedIsNull("Location", "01"));
    EXPECT_TRUE(storedIsNull("Description", "01"));
    EXPECT_TRUE(list->labels("01").found);
    EXPECT_EQ(list->labels("01").location, QString());
}

TEST_F(SupplyListTest, AddressWithoutRowChangesNothing)
{
    for (const QString address : { "32", "", "5", "0'; DROP TABLE MultiPS; --" }) {
        const Outcome<SupplyList::Stored> result = list->StoreLocation(address, "Somewhere");
        EXPECT_FALSE(result) << address.toStdString();
        EXPECT_EQ(result.error(), QString()); // nothing to tell: the address has no row
        EXPECT_FALSE(list->labels(address).found);
    }
    SqlStatement count = db->sql().prepare("SELECT count(*), count(Location) FROM MultiPS");
    ASSERT_EQ(count.step(), SqlStatement::Step::Row);
    EXPECT_EQ(count.integer(0), 32);
    EXPECT_EQ(count.integer(1), 0);
}

} // namespace

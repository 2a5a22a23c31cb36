#include "sysinfo/ReportText.h"
#include <gtest/gtest.h>

TEST(ReportText, DurationExamples) {
  EXPECT_EQ(FormatDuration(3725), "1 Hour, 2 Minutes, 5 Seconds.");
  EXPECT_EQ(FormatDuration(90061), "1 Day, 1 Hour, 1 Minute, 1 Second.");
  EXPECT_EQ(FormatDuration(86401), "1 Day, 0 Hours, 0 Minutes, 1 Second.");
  EXPECT_EQ(FormatDuration(59), "59 Seconds.");
  EXPECT_EQ(FormatDuration(0), "0 Seconds.");
  EXPECT_EQ(FormatDuration(1), "1 Second.");
  EXPECT_EQ(FormatDuration(60), "1 Minute, 0 Seconds.");
  EXPECT_EQ(FormatDuration(3600), "1 Hour, 0 Minutes, 0 Seconds.");
  EXPECT_EQ(FormatDuration(2678400 * 2 + 5),
            "2 Months, 0 Weeks, 0 Days, 0 Hours, 0 Minutes, 5 Seconds.");
  // Century boundary: a year is 365.5 days, a century 100 of those.
  EXPECT_EQ(FormatDuration(3157920000LL - 1),
            "99 Years, 11 Months, 3 Weeks, 3 Days, 11 Hours, 59 Minutes, 59 Seconds.");
  EXPECT_EQ(FormatDuration(3157920000LL),
            "1 Century, 0 Years, 0 Months, 0 Weeks, 0 Days, 0 Hours, 0 Minutes, 0 Seconds.");
  EXPECT_EQ(FormatDuration(2 * 3157920000LL + 31579200),
            "2 Centuries, 1 Year, 0 Months, 0 Weeks, 0 Days, 0 Hours, 0 Minutes, 0 Seconds.");
}

TEST(ReportText, NumbersAndLines) {
  EXPECT_EQ(GroupDigits(268435456, ","), "268,435,456");
  EXPECT_EQ(GroupDigits(999, ","), "999");
  EXPECT_EQ(GroupDigits(1000, "."), "1.000");
  EXPECT_EQ(GroupDigits(0, ","), "0");
  EXPECT_EQ(GroupDigits(-1234567, ","), "-1,234,567");
  SetThousandSeparator(" ");
  EXPECT_EQ(GroupDigits(12345), "12 345");
  SetThousandSeparator(",");
  EXPECT_EQ(HexText(0), "0");
  EXPECT_EQ(HexText(0xBFEBFBFF), "BFEBFBFF");
  EXPECT_EQ(HexText(0x0A), "A");

  TStringList r;
  AddSection(r, "Machine");
  AddValue(r, "Name", "PC1");
  AddValue(r, "Count", int64_t{-3});
  AddBool(r, "Flag", true);
  AddBool(r, "Other", false);
  TStringList items;
  items.Add("eth0");
  items.Add("eth1");
  WriteList(r, "Count", "Adapter", items);
  TStringList empty;
  WriteList(r, "Drives", "Drive", empty);
  const std::vector<std::string> want = {"[Machine]", "Name=PC1", "Count=-3", "Flag=1", "Other=0",
                                         "Count=2", "Adapter1=eth0", "Adapter2=eth1", "Drives=0"};
  EXPECT_EQ(r.Items(), want);
}

TEST(ReportText, Dates) {
  EXPECT_EQ(EncodeDateTime(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDateTime(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDateTime(2002, 3, 31), 37346.0);
  EXPECT_DOUBLE_EQ(EncodeDateTime(2002, 3, 31, 2), 37346.0 + 2.0 / 24);
  EXPECT_EQ(EncodeDateTime(2001, 2, 29), 0.0);  // no such day
  EXPECT_NE(EncodeDateTime(2000, 2, 29), 0.0);
  EXPECT_EQ(EncodeDateTime(1900, 2, 29), 0.0);
  EXPECT_EQ(DayOfWeek(2002, 3, 31), 0);  // a Sunday

  TDateParts p = DecodeDateTime(EncodeDateTime(2024, 2, 29, 23, 59, 59, 999));
  EXPECT_EQ(p.Year, 2024);
  EXPECT_EQ(p.Month, 2);
  EXPECT_EQ(p.Day, 29);
  EXPECT_EQ(p.Hour, 23);
  EXPECT_EQ(p.Minute, 59);
  EXPECT_EQ(p.Second, 59);
  EXPECT_EQ(p.Millisecond, 999);
  p = DecodeDateTime(1e300);  // garbage decodes to the zero date, not a trap
  EXPECT_EQ(p.Year, 1899);

  EXPECT_EQ(DateTimeText(0), "1899-12-30");
  EXPECT_EQ(DateTimeText(EncodeDateTime(2002, 3, 31, 2)), "2002-03-31 02:00:00");
  SetDateTimeFormatter([](const TDateParts& d, bool withTime) {
    std::string s = std::to_string(d.Day) + "/" + std::to_string(d.Month) + "/" +
                    std::to_string(d.Year);
    return withTime ? s + " " + std::to_string(d.Hour) + "h" : s;
  });
  EXPECT_EQ(DateTimeText(EncodeDateTime(2002, 4, 7)), "7/4/2002");
  EXPECT_EQ(DateTimeText(EncodeDateTime(2002, 4, 7, 0, 0, 1)), "7/4/2002 0h");
  SetDateTimeFormatter(nullptr);
}

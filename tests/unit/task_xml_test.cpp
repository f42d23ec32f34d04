// The task definition reader on plain strings: which tasks start a program
// at logon or boot, what their triggers and actions say, and which texts are
// no well-formed definition at all.
#include "entries/task_xml.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring Task(const std::wstring& triggers, const std::wstring& actions,
                  const std::wstring& settings = L"") {
    return L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
           L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
           L"<Triggers>" +
           triggers + L"</Triggers><Settings>" + settings +
           L"</Settings><Actions Context=\"Author\">" + actions + L"</Actions></Task>";
}

const std::wstring kLogon = L"<LogonTrigger><Enabled>true</Enabled></LogonTrigger>";
const std::wstring kBoot = L"<BootTrigger/>";
const std::wstring kExec = L"<Exec><Command>C:\\a.exe</Command><Arguments>/x</Arguments></Exec>";

TEST(TaskXmlRule, EachDocumentReadsAsItSays) {
    struct Case {
        const char* name;
        std::wstring xml;
        bool wellFormed;
        bool starts; // starts a program at logon or boot
        std::size_t triggers;
        std::size_t execs;
        bool enabled;
        std::wstring command;   // of the first Exec
        std::wstring arguments; // of the first Exec
    };
    const std::wstring emoji(L"\xD83D\xDE00");
    const Case cases[] = {
        {"logon", Task(kLogon, kExec), true, true, 1, 1, true, L"C:\\a.exe", L"/x"},
        {"boot", Task(kBoot, kExec), true, true, 1, 1, true, L"C:\\a.exe", L"/x"},
        {"both", Task(kLogon + kBoot, kExec), true, true, 2, 1, true, L"C:\\a.exe", L"/x"},
        {"disabled trigger",
         Task(L"<LogonTrigger><Enabled> false </Enabled></LogonTrigger>", kExec), true, false, 1, 1,
         true, L"C:\\a.exe", L"/x"},
        {"one of two disabled",
         Task(L"<BootTrigger><Enabled>0</Enabled></BootTrigger>" + kLogon, kExec), true, true, 2, 1,
         true, L"C:\\a.exe", L"/x"},
        {"other triggers only",
         Task(L"<TimeTrigger><Enabled>true</Enabled></TimeTrigger><CalendarTrigger/>", kExec), true,
         false, 0, 1, true, L"C:\\a.exe", L"/x"},
        {"another trigger's Enabled is its own",
         Task(L"<TimeTrigger><Enabled>true</Enabled></TimeTrigger>"
              L"<LogonTrigger><Enabled>false</Enabled></LogonTrigger>",
              kExec),
         true, false, 1, 1, true, L"C:\\a.exe", L"/x"},
        {"no Exec", Task(kLogon, L""), true, false, 1, 0, true, L"", L""},
        {"ComHandler only",
         Task(kLogon, L"<ComHandler><ClassId>{1}</ClassId><Data>x</Data></ComHandler>"), true,
         false, 1, 0, true, L"", L""},
        {"Exec after a ComHandler",
         Task(kLogon, L"<ComHandler><ClassId>{1}</ClassId></ComHandler>" + kExec), true, true, 1, 1,
         true, L"C:\\a.exe", L"/x"},
        {"settings disabled", Task(kLogon, kExec, L"<Enabled>false</Enabled><Hidden>true</Hidden>"),
         true, true, 1, 1, false, L"C:\\a.exe", L"/x"},
        {"entities",
         Task(kLogon, L"<Exec><Command>C:\\A &amp; B\\x.exe</Command>"
                      L"<Arguments>&lt;&gt;&quot;&apos;&#65;&#x42;&#x1F600;</Arguments></Exec>"),
         true, true, 1, 1, true, L"C:\\A & B\\x.exe", L"<>\"'AB" + emoji},
        {"CDATA, comments, instructions",
         L"\xFEFF<?xml version=\"1.0\"?><!-- head --><Task><?pi x?><Triggers>" + kLogon +
             L"</Triggers><Actions><Exec><Command>C:\\<!-- c -->x.exe</Command>"
             L"<Arguments><![CDATA[<a & b>]]> c</Arguments></Exec></Actions></Task><!-- tail -->\n",
         true, true, 1, 1, true, L"C:\\x.exe", L"<a & b> c"},
        {"prefixes",
         L"<t:Task xmlns:t=\"urn:t\"><t:Triggers><t:BootTrigger t:id='b'/></t:Triggers>"
         L"<t:Actions><t:Exec><t:Command>b.exe</t:Command></t:Exec></t:Actions></t:Task>",
         true, true, 1, 1, true, L"b.exe", L""},
        {"Exec outside Actions",
         L"<Task><Triggers>" + kLogon + L"</Triggers><Other>" + kExec + L"</Other></Task>", true,
         false, 1, 0, true, L"", L""},
        {"root not a task",
         L"<Job><Triggers>" + kLogon + L"</Triggers><Actions>" + kExec + L"</Actions></Job>", false,
         false, 0, 0, true, L"", L""},
    };
    for (const Case& c : cases) {
        const kv::TaskDefinition task = kv::ParseTaskXml(c.xml);
        EXPECT_EQ(c.wellFormed, task.wellFormed) << c.name;
        EXPECT_EQ(c.starts, kv::StartsProgramAtLogonOrBoot(task)) << c.name;
        EXPECT_EQ(c.triggers, task.triggers.size()) << c.name;
        ASSERT_EQ(c.execs, task.execs.size()) << c.name;
        EXPECT_EQ(c.enabled, task.enabled) << c.name;
        if (!task.execs.empty()) {
            EXPECT_TRUE(c.command == task.execs[0].command) << c.name;
            EXPECT_TRUE(c.arguments == task.execs[0].arguments) << c.name;
        }
    }
}

TEST(TaskXmlRule, MalformedTextIsNoTask) {
    const std::wstring good = Task(kLogon, kExec);
    ASSERT_TRUE(kv::ParseTaskXml(good).wellFormed);
    const std::wstring texts[] = {
        L"",
        good.substr(0, good.size() - 3),                      // cut off
        L"<Task><Triggers></Task></Triggers>",                // crossed
        L"<Task a=1/>",                                       // unquoted attribute
        L"<Task a='1' a='2'/>",                               // attribute twice
        L"<Task a='<'/>",                                     // "<" in a value
        L"<Task/><Task/>",                                    // two roots
        L"<Task/>text",                                       // text after the root
        L"<Task>&nbsp;</Task>",                               // unknown entity
        L"<Task>&#0;</Task>",                                 // no character
        L"<Task>&#x110000;</Task>",                           // past the last one
        L"<Task>&#99999999999999999999;</Task>",              // far past it
        L"<Task>&amp</Task>",                                 // unterminated reference
        L"<Task><!-- a -- b --></Task>",                      // "--" in a comment
        L"<Task><![CDATA[x</Task>",                           // unterminated section
        L"<Task>]]></Task>",                                  // section end in text
        L"<!DOCTYPE Task [<!ENTITY e 'x'>]><Task>&e;</Task>", // declarations
        L"<Task><1a/></Task>",                                // name starting with a digit
        L"<Task><? ?></Task>",                                // instruction without target
    };
    for (const std::wstring& text : texts) {
        const kv::TaskDefinition task = kv::ParseTaskXml(text);
        EXPECT_FALSE(task.wellFormed) << std::string(text.begin(), text.end());
        EXPECT_FALSE(kv::StartsProgramAtLogonOrBoot(task));
    }
    // Deep nesting is read without recursion.
    std::wstring deep = L"<Task>";
    for (int i = 0; i < 100000; ++i) {
        deep += L"<a>";
    }
    EXPECT_FALSE(kv::ParseTaskXml(deep).wellFormed);
}

TEST(TaskXmlRule, TriggerAndActionDetailsAreRead) {
    const kv::TaskDefinition task = kv::ParseTaskXml(
        Task(L"<LogonTrigger><Delay>PT30S</Delay><UserId> PC\\user </UserId></LogonTrigger>"
             L"<BootTrigger><Enabled>true</Enabled><Delay>PT1M</Delay></BootTrigger>",
             L"<Exec><Command>first.exe</Command><WorkingDirectory>%TEMP%</WorkingDirectory></Exec>"
             L"<Exec><Command>second.exe</Command></Exec>"));
    ASSERT_TRUE(task.wellFormed);
    ASSERT_EQ(2u, task.triggers.size());
    EXPECT_TRUE(task.triggers[0].kind == kv::TaskTriggerKind::Logon);
    EXPECT_TRUE(task.triggers[0].enabled);
    EXPECT_TRUE(task.triggers[0].delay == L"PT30S");
    EXPECT_TRUE(task.triggers[0].userId == L"PC\\user");
    EXPECT_TRUE(task.triggers[1].kind == kv::TaskTriggerKind::Boot);
    EXPECT_TRUE(task.triggers[1].delay == L"PT1M");
    EXPECT_TRUE(task.triggers[1].userId.empty());
    ASSERT_EQ(2u, task.execs.size());
    EXPECT_TRUE(task.execs[0].workingDirectory == L"%TEMP%");
    EXPECT_TRUE(task.execs[1].command == L"second.exe");
}

} // namespace

// The accessors of sipAbstractItemView: with selfWasArgument set they run the Qt class's own
// implementation, clear they dispatch virtually, so a C++ override below them runs.
#include "importedtypes.h"
#include "module.h"
#include "sipabstractitemview.h"

#include <QtWidgets/QApplication>

#include <gtest/gtest.h>

// A stand-in for the sip runtime without an interpreter: every virtual stays native.
static void instanceDestroyed(sipSimpleWrapper **self) { *self = nullptr; }
static PyInterpreterState *noInterpreter() { return nullptr; }

static const sipAPIDef standInApi = [] {
    sipAPIDef api{};
    api.api_instance_destroyed_ex = instanceDestroyed;
    api.api_get_interpreter = noInterpreter;
    return api;
}();

const sipAPIDef *bindingApi = &standInApi;
MetaObjectFunc qtcoreQtMetaobject = nullptr;
MetaCallFunc qtcoreQtMetacall = nullptr;
MetaCastFunc qtcoreQtMetacast = nullptr;
sipImportedTypeDef qtCoreTypes[qtCoreTypeCount + 1] = {};
sipImportedTypeDef qtGuiTypes[qtGuiTypeCount + 1] = {};
sipImportedTypeDef qtWidgetsTypes[qtWidgetsTypeCount + 1] = {};
sipImportedVirtErrorHandlerDef qtCoreVirtErrorHandlers[2] = {};
sipClassTypeDef abstractItemViewTypeDef = {};

namespace {

class CppView : public sipAbstractItemView
{
public:
    int userEvents = 0;
    int keyReleases = 0;

    bool event(QEvent *e) override
    {
        if (e->type() != QEvent::User)
            return sipAbstractItemView::event(e);
        ++userEvents;
        return true;
    }
    void keyReleaseEvent(QKeyEvent *) override { ++keyReleases; }
    int metric(PaintDeviceMetric m) const override { return m == PdmDepth ? 7 : sipAbstractItemView::metric(m); }
    int horizontalOffset() const override { return 42; }
    QSize viewportSizeHint() const override { return {3, 4}; }
};

class ViewAccessors : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "viewaccessors_test";
        static char *argv[] = {name, nullptr};
        if (!qApp)
            new QApplication(argc, argv);
    }

    CppView view;
};

TEST_F(ViewAccessors, ClearFlagDispatchesVirtually)
{
    QEvent user(QEvent::User);
    EXPECT_TRUE(view.protectedEvent(false, &user));
    EXPECT_EQ(view.userEvents, 1);

    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier);
    view.protectedKeyReleaseEvent(false, &release);
    EXPECT_EQ(view.keyReleases, 1);

    EXPECT_EQ(view.protectedMetric(false, QPaintDevice::PdmDepth), 7);
    EXPECT_EQ(view.protectedViewportSizeHint(false), QSize(3, 4));
}

TEST_F(ViewAccessors, SetFlagRunsTheQtClassImplementation)
{
    QEvent user(QEvent::User);
    view.protectedEvent(true, &user);
    EXPECT_EQ(view.userEvents, 0);

    // QWidget's keyReleaseEvent ignores the event; the override is not reached.
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier);
    release.accept();
    view.protectedKeyReleaseEvent(true, &release);
    EXPECT_EQ(view.keyReleases, 0);
    EXPECT_FALSE(release.isAccepted());

    EXPECT_EQ(view.protectedMetric(true, QPaintDevice::PdmDepth), QWidget().depth());
    EXPECT_NE(view.protectedViewportSizeHint(true), QSize(3, 4));
}

TEST_F(ViewAccessors, PureVirtualAccessorsAlwaysDispatch)
{
    EXPECT_EQ(view.protectedHorizontalOffset(), 42);
    // Not overridden in C++, and no Python: the routing's defaults.
    EXPECT_EQ(view.protectedVerticalOffset(), 0);
    EXPECT_FALSE(view.protectedIsIndexHidden(QModelIndex()));
    EXPECT_TRUE(view.protectedVisualRegionForSelection(QItemSelection()).isEmpty());
    EXPECT_FALSE(view.protectedMoveCursor(AbstractItemView::CursorAction(1), Qt::NoModifier).isValid());
    EXPECT_TRUE(view.visualRect(QModelIndex()).isNull());
}

TEST_F(ViewAccessors, PlainAccessorsReachQtMembers)
{
    view.protectedSetViewportMargins(1, 2, 3, 4);
    EXPECT_EQ(view.protectedViewportMargins(), QMargins(1, 2, 3, 4));
    view.protectedSetViewportMargins(QMargins(4, 3, 2, 1));
    EXPECT_EQ(view.protectedViewportMargins(), QMargins(4, 3, 2, 1));

    view.protectedSetState(AbstractItemView::State(3));
    EXPECT_EQ(int(view.protectedState()), 3);  // EditingState
    EXPECT_EQ(view.protectedSender(), nullptr);
    EXPECT_EQ(view.protectedSenderSignalIndex(), -1);
}

TEST_F(ViewAccessors, WithoutAnInterpreterTheMetaObjectIsQts)
{
    EXPECT_EQ(view.metaObject(), &QAbstractItemView::staticMetaObject);
}

}  // namespace

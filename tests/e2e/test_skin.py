"""The skinned main window as it shows on screen: frame, title row, title-bar items, border
buttons, the drop-down and window menus and the search field, checked pixel by pixel in
screenshots of the real program under Wine. Expected colours come from the skin itself (its
options and its atlas), so the checks follow the skin rather than restate it."""

import time
import unittest

import harness as h

FRAME_LINE = (197, 0, 35)  # the frame image's line
ITEMS = {0: (494, 1, 534, 21), 2: (536, 1, 576, 21), 4: (578, 1, 605, 19), 6: (607, 1, 634, 19)}
MINIMIZE = (640, 1, 667, 22)
CLOSE = (667, 1, 701, 22)
MENU_WINDOW = "#32768"


class SkinnedWindow(unittest.TestCase):
    def setUp(self):
        self.assertTrue(h.close_leftover_instance())
        self.process = h.start()
        w = h.wait_for_window(lambda w: w["count"] and w["visible"] and w["foreground"])
        self.left, self.top, self.right, self.bottom = w["window"]
        self.form = h.skin_colour("FORM", "COLOR")
        h.xdotool("mousemove", "5", "700")  # away from the window
        time.sleep(0.5)

    def tearDown(self):
        h.xdotool("key", "Escape")
        if self.process.poll() is None:
            h.end_program(self.process)

    def at(self, x, y):
        """Screen point of a frame point."""
        return self.left + x, self.top + y

    def shot(self, name):
        time.sleep(0.4)
        return h.screenshot(name)

    def px(self, shot, x, y):
        return h.pixel(shot, *self.at(x, y))

    def move_to(self, x, y):
        h.xdotool("mousemove", *map(str, self.at(x, y)))
        time.sleep(0.4)

    def test_frame_line_title_row_and_client_background(self):
        self.assertEqual((self.right - self.left, self.bottom - self.top), (702, 456))
        shot = self.shot("skin-window")
        for x, y in ((0, 200), (701, 200), (350, 455), (350, 0), (3, 0), (0, 3)):
            self.assertEqual(self.px(shot, x, y), FRAME_LINE, (x, y))
        # The corners are cut: the desktop shows through.
        for x, y in ((0, 0), (701, 0), (0, 455), (701, 455)):
            self.assertNotEqual(self.px(shot, x, y), FRAME_LINE, (x, y))
        # The title row and the client row below the browser show the form colour.
        self.assertEqual(self.px(shot, 300, 2), self.form)
        for x in (1, 350, 700):
            self.assertEqual(self.px(shot, x, 30 + 424), self.form, x)
        h.crop(shot, (self.left - 10, self.top - 10, self.right + 10, self.bottom + 10),
               h.ARTIFACTS / "main-window.png")
        # The shadow: a window of its own, 10 pixels out on every side, shown with the window.
        shadows = [w["window"] for w in h.windows() if w["class"] == "MiniKorvelShadow"]
        self.assertEqual(shadows, [[self.left - 10, self.top - 10, self.right + 10,
                                    self.bottom + 10]])

    def test_banner_strip_without_a_player_shows_the_form_colour_and_no_message(self):
        shot = self.shot("skin-banner-strip")
        strip = h.region(shot, *self.at(1 + 210, 30), 280, 20)
        self.assertTrue(all(p == self.form for row in strip for p in row))
        self.assertFalse([w for w in h.windows() if w["class"] == "#32770"])  # no message box

    def test_logo_reaches_into_the_top_strip_and_ends_before_the_banner(self):
        shot = self.shot("skin-logo")
        strip = h.region(shot, *self.at(1, 30), 560, 27)  # client columns 0..559, rows 0..26
        drawn = {x for row in strip for x, p in enumerate(row) if p != self.form}
        self.assertTrue(drawn, "nothing of the logo in the top strip")
        self.assertGreaterEqual(min(drawn), 8)
        self.assertLessEqual(max(drawn), 186)

    def test_items_show_the_hot_background_exactly_over_their_rectangle(self):
        hot_left, hot_top, hot_right, hot_bottom = h.skin_rect("TB_MENUBTN", "HOTPATTERN")
        hot_colours = {h.bitmap_pixel(h.ATLAS, x, y)
                       for x in range(hot_left, hot_right, 3) for y in range(hot_top, hot_bottom)}

        def is_hot(p):
            return any(h.close_to(p, c, 12) for c in hot_colours)

        for index, (l, t, r, b) in ITEMS.items():
            self.move_to((l + r) // 2, b - 2)
            shot = self.shot(f"skin-item-{index}")
            for x, y in ((l, t), (r - 1, t), (l, b - 1), (r - 1, b - 1)):
                self.assertTrue(is_hot(self.px(shot, x, y)), (index, x, y, self.px(shot, x, y)))
            for x, y in ((l - 1, t), (r, t), (l, b), (r, b - 1)):
                self.assertEqual(self.px(shot, x, y), self.form, (index, x, y))
        self.move_to(300, 15)
        shot = self.shot("skin-items-rest")
        for index, (l, t, r, b) in ITEMS.items():
            self.assertFalse(is_hot(self.px(shot, l, t)), index)

    def button_state(self, shot, rect, states_rect):
        """Which state image (0 normal, 1 hot, 2 pressed) the button shows, by its pixels."""
        l, t, r, b = rect
        sl, st, sr, sb = states_rect
        width = (sr - sl) // 3
        sample = [(1, 1), (2, b - t - 2), (r - l - 2, 2), ((r - l) // 2, b - t - 3)]
        for state in range(3):
            expected = [h.bitmap_pixel(h.ATLAS, sl + state * width + dx, st + dy)
                        for dx, dy in sample]
            actual = [self.px(shot, l + dx, t + dy) for dx, dy in sample]
            if all(h.close_to(a, e, 6) for a, e in zip(actual, expected)):
                return state
        return None

    def test_close_button_is_pressed_while_held_and_lets_go_when_dragged_off(self):
        close_states = h.skin_rect("GLOBALINFO", "BICONCLOSE")
        self.assertEqual(self.button_state(self.shot("skin-close-normal"), CLOSE, close_states), 0)
        self.move_to(684, 11)
        self.assertEqual(self.button_state(self.shot("skin-close-hot"), CLOSE, close_states), 1)
        h.xdotool("mousedown", "1")
        self.assertEqual(self.button_state(self.shot("skin-close-pressed"), CLOSE, close_states), 2)
        self.move_to(300, 15)  # dragged off: released without closing
        self.assertEqual(self.button_state(self.shot("skin-close-off"), CLOSE, close_states), 0)
        h.xdotool("mouseup", "1")
        time.sleep(0.5)
        self.assertTrue(h.find()["visible"])
        minimize_states = h.skin_rect("GLOBALINFO", "BICONMIN")
        self.assertEqual(self.button_state(self.shot("skin-min"), MINIMIZE, minimize_states), 0)
        # A full click closes: the window hides to the notification area.
        self.move_to(684, 11)
        h.xdotool("click", "1")
        self.assertTrue(h.wait_until(lambda: not h.find()["visible"], 10))

    def open_menu_from_item_4(self):
        self.move_to(591, 10)
        h.xdotool("click", "1")
        self.assertTrue(h.wait_until(
            lambda: any(w["class"] == MENU_WINDOW for w in h.windows()), 10))
        return [w["window"] for w in h.windows() if w["class"] == MENU_WINDOW][0]

    def test_drop_down_menu_hangs_below_item_4_with_the_selected_row_in_the_gradient(self):
        menu = self.open_menu_from_item_4()
        self.assertEqual(menu[0], self.left + ITEMS[4][0])
        self.assertEqual(menu[1], self.top + ITEMS[4][3])
        shot = self.shot("skin-menu-open")
        # The item stays lit while its menu is open.
        self.assertNotEqual(self.px(shot, ITEMS[4][0], ITEMS[4][1]), self.form)
        # The first row under the pointer: the skin's selected gradient, white text.
        h.xdotool("mousemove", str(menu[0] + 60), str(menu[1] + 12))
        shot = self.shot("skin-menu-selected")
        start, end = h.skin_options()["MENUITEM"]["HOTGRADIENTDATA"].split(";")[:2]
        colour = lambda v: (int(v) & 0xFF, (int(v) >> 8) & 0xFF, (int(v) >> 16) & 0xFF)
        middle = (menu[0] + menu[2]) // 2
        rows = [h.pixel(shot, middle, y) for y in range(menu[1], menu[1] + 30)]
        self.assertTrue(any(h.close_to(p, colour(start), 8) for p in rows), rows)
        self.assertTrue(any(h.close_to(p, colour(end), 8) for p in rows), rows)
        row = h.region(shot, menu[0] + 30, menu[1] + 3, 60, 20)
        self.assertTrue(any(min(p) >= 230 for line in row for p in line), "no white text")
        h.crop(shot, (self.left - 10, self.top - 10, self.right + 10, max(self.bottom, menu[3]) + 10),
               h.ARTIFACTS / "dropdown-menu.png")

    def test_window_menu_from_the_title_row_minimises(self):
        self.move_to(300, 15)
        h.xdotool("click", "3")
        self.assertTrue(h.wait_until(
            lambda: any(w["class"] == MENU_WINDOW for w in h.windows()), 10))
        menu = [w["window"] for w in h.windows() if w["class"] == MENU_WINDOW][0]
        # Restore, move, size, minimise, a separator, close: six rows.
        height = menu[3] - menu[1]
        self.assertGreater(height, 4 * 22 + 7 + 22 - 1)
        self.assertLess(height, 4 * 22 + 7 + 22 + 12)
        border = (height - (5 * 22 + 7)) // 2
        h.xdotool("mousemove", str(menu[0] + 60), str(menu[1] + border + 3 * 22 + 11))
        h.xdotool("click", "1")
        self.assertTrue(h.wait_until(lambda: h.find()["iconic"], 10))

    def test_window_menu_opens_from_the_keyboard_and_takes_mnemonics(self):
        h.xdotool("key", "alt+space")
        self.assertTrue(h.wait_until(
            lambda: any(w["class"] == MENU_WINDOW for w in h.windows()), 10))
        h.xdotool("key", "n")  # minimise
        self.assertTrue(h.wait_until(lambda: h.find()["iconic"], 10))

    def test_caption_drags_the_window(self):
        self.move_to(300, 15)
        h.xdotool("mousedown", "1")
        for step in range(1, 6):
            h.xdotool("mousemove", str(self.left + 300 + 12 * step), str(self.top + 15 + 8 * step))
            time.sleep(0.1)
        h.xdotool("mouseup", "1")
        moved = h.wait_until(lambda: h.find()["window"][:2] == [self.left + 60, self.top + 40], 5)
        self.assertTrue(moved, h.find()["window"])

    def test_search_field_is_one_crimson_frame(self):
        shot = self.shot("skin-search")
        frame = (198, 23, 50)
        for x, y in ((570, 0), (600, 0), (570, 11), (600, 21), (669, 0), (680, 0), (680, 21)):
            self.assertEqual(self.px(shot, 1 + x, 30 + y), frame, (x, y))
        right = self.px(shot, 1 + 689, 30 + 11)
        self.assertTrue(h.close_to(right, (172, 71, 87), 20), right)
        self.assertEqual(self.px(shot, 1 + 600, 30 + 11), (255, 255, 255))


if __name__ == "__main__":
    unittest.main()

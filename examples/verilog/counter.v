// Counter on a free-running clock: with brixo-labd's default 1000 Hz clock it counts ten times
// a second, on the red LEDs and as two hexadecimal digits. SW[0] counts down instead, SW[1]
// pauses, KEY[0] held clears it. Watch it with auto refresh on.
module counter #(parameter DIVIDE = 100) (  // clock cycles per count
    input        CLOCK_50,
    input  [1:0] SW,
    input  [0:0] KEY,
    output [7:0] LEDR,
    output [6:0] HEX0,
    output [6:0] HEX1
);
    reg [7:0] count = 8'd0;
    reg [15:0] tick = 16'd0;

    always @(posedge CLOCK_50) begin
        if (KEY[0]) begin
            count <= 8'd0;
            tick <= 16'd0;
        end else if (!SW[1]) begin
            if (tick == DIVIDE - 1) begin
                tick <= 16'd0;
                count <= SW[0] ? count - 8'd1 : count + 8'd1;
            end else begin
                tick <= tick + 16'd1;
            end
        end
    end

    assign LEDR = count;
    counter_digit low(.value(count[3:0]), .segments(HEX0));
    counter_digit high(.value(count[7:4]), .segments(HEX1));
endmodule

// Segments a..g in bits 0..6, 0 = lit.
module counter_digit(input [3:0] value, output reg [6:0] segments);
    always @* begin
        case (value)
            4'h0: segments = 7'b1000000;
            4'h1: segments = 7'b1111001;
            4'h2: segments = 7'b0100100;
            4'h3: segments = 7'b0110000;
            4'h4: segments = 7'b0011001;
            4'h5: segments = 7'b0010010;
            4'h6: segments = 7'b0000010;
            4'h7: segments = 7'b1111000;
            4'h8: segments = 7'b0000000;
            4'h9: segments = 7'b0010000;
            4'hA: segments = 7'b0001000;
            4'hB: segments = 7'b0000011;
            4'hC: segments = 7'b1000110;
            4'hD: segments = 7'b0100001;
            4'hE: segments = 7'b0000110;
            default: segments = 7'b0001110;
        endcase
    end
endmodule
